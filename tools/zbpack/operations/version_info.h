// The version information resource (RT_VERSION) of an installer: the fixed part (file and
// product version) and one string table, block 040904B0 (U.S. English, UTF-16), whose strings
// are converted straight from the UTF-8 given.
#pragma once
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

struct VersionInfo {
  uint16_t version[4] = {0, 0, 0, 0};  // A.B.C.D; FileVersion and ProductVersion alike
  // Name (CompanyName, FileDescription, ...) and UTF-8 value, in the order written. Names of
  // empty values are left out.
  std::vector<std::pair<std::string, std::string>> strings;
};

// Reads "A[.B[.C[.D]]]" (each 0 to 65535, missing parts 0) into version; false otherwise.
bool ParseProductVersion(const std::string& text, uint16_t (&version)[4]);

// "" when text may stand in the version information (UTF-8, no control character, at most
// 256 characters), else why not.
std::string VersionTextProblem(const std::string& text);

// "1.2.0.0"
std::string VersionText(const uint16_t (&version)[4]);

// The resource's bytes. The strings must have passed VersionTextProblem.
std::vector<uint8_t> BuildVersionInfo(const VersionInfo& info);
