// Listing an installer: its closing record and every member header, read with the stub's own
// reading code, without decoding any member.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "archive/archive_end.h"
#include "archive/archive_format.h"
#include "zbpack/operations/problem.h"

struct ListedMember {
  FileHeader header;
  std::string name;  // UTF-8, converted from the code page
};

struct ListReport {
  uint32_t codePage = 0;  // the installer's texts are in it
  // Set when the file could not be read as an installer at all; nothing else is then known.
  std::optional<Problem> unreadable;
  SeaTrailer trailer = {};
  ArchiveEnd signature = {};
  std::vector<ListedMember> members;  // in archive order: all, or those before failure
  std::optional<Problem> failure;     // the member whose header or data could not be read
};

ListReport ListInstaller(const std::string& path, uint32_t codePage);
