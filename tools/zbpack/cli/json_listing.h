// The JSON documents of `list --json` and `verify --json`: one object per member and one for
// the archive as a whole, the same fields in both. Names come in UTF-8, converted from the
// installer's code page (a byte that is not UTF-8 would be printed as U+FFFD).
#pragma once
#include <cstdint>
#include <string>

#include <nlohmann/json.hpp>

#include "archive/archive_format.h"

// {"index", "name", "method" ("stored"|"imploded"), "storedSize", "originalSize" (bytes),
//  "crc32" (8 lowercase hex digits), "modified" (UTC, "YYYY-MM-DDTHH:MM:SSZ"; null from the
//  year 10000 on), "fileTime" (the stored FILETIME: 100 ns ticks since 1601)}
nlohmann::json MemberJson(uint32_t index, const FileHeader& header, const std::string& name);

// {"product", "totalBytes", "fileCount", "script": {"index", "name"} or null, "members": []},
// the product name converted from codePage. scriptName is empty when scriptIndex names no
// member read.
nlohmann::json ArchiveJson(const SeaTrailer& trailer, const std::string& scriptName,
                           uint32_t codePage);

// The document on stdout, indented, with a closing newline.
void PrintJson(const nlohmann::json& document);
