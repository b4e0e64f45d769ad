// Verifying an installer: whether the stub will install exactly the files the archive claims.
// Every member is decoded to the null device through the stub's own transfer code, and
// everything the stub relies on is checked: the walk from the archive tag through fileCount
// members ending exactly at the closing record, each name (the stub's rules for each
// component, the length bound, no two names for one Windows file), each member's CRC-32 and
// decoded size against originalSize, totalBytes against their sum, scriptIndex naming a
// member; and the program in front of the archive (its PE headers and resource tree,
// program_check.h).
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "archive/archive_end.h"
#include "archive/archive_format.h"
#include "zbpack/host/code_page.h"
#include "zbpack/operations/problem.h"
#include "zbpack/operations/work_observer.h"

struct VerifyOptions {
  uint32_t codePage = kDefaultCodePage;  // the installer's texts are in it
  // Keep every member's entry in the report (for a document of them all); otherwise memory
  // stays bounded by the names and the report keeps none.
  bool keepMembers = false;
};

// One member as verify found it.
struct VerifiedMember {
  uint32_t index = 0;       // 1-based
  bool headerRead = false;  // header and name hold what the archive says
  FileHeader header = {};
  std::string name;    // UTF-8, converted from the code page
  bool ok = false;     // checked and found as claimed
  std::string reason;  // the first problem found; empty while none was
};

struct VerifyReport {
  std::string path;
  uint32_t codePage = kDefaultCodePage;
  // Set when the file could not be read as an installer at all; nothing else is then known.
  std::optional<Problem> unreadable;
  SeaTrailer trailer = {};
  ArchiveEnd signature = {};
  std::vector<VerifiedMember> members;  // with keepMembers: each member reached, in order
  std::vector<std::string> problems;    // everything found, in order; empty: it will install
  // The closing lines once it verifies: how it is signed, if it is, and the member count.
  std::vector<std::string> summary;
};

// Verifies the installer at path. The observer sees each member's line ("    1  OK      a.txt",
// "    2  FAILED  ...") and the archive's ("archive FAILED  ...") as they are found.
VerifyReport VerifyInstaller(const std::string& path, const VerifyOptions& options,
                             const WorkObserver& observer);

// The failure the report amounts to, as one error line: the file that cannot be read, or the
// first problem (with how many there are). None when the installer verifies.
std::optional<Problem> VerifyFailure(const VerifyReport& report);
