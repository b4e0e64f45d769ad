// The command line of `zbpack pack`, parsed into one record.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "zbpack/code_page.h"
#include "zbpack/pack_overrides.h"

enum class PackMethod {
  kAuto,     // implode, and keep the imploded data only if it is smaller than the contents
  kStored,   // always the contents as they are
  kImplode,  // always imploded
};

// Settings handed to the implode encoder.
struct ImplodeChoice {
  bool asciiLiterals = false;      // --ascii: literals coded for text; default binary
  uint32_t dictionarySize = 4096;  // bytes: 1024, 2048 or 4096
  std::optional<int> level;        // --level 1..9; the encoder's default when absent
};

// One file to pack: the file at path becomes the member called name (given by --as NAME PATH,
// or else the path's last component).
struct MemberSource {
  std::string name;  // UTF-8, as given
  std::string path;
  // Filled by pack before it writes: the name as the archive holds it, in the code page, and
  // for the script its contents converted to the code page (other members are their files).
  std::string storedName;
  std::optional<std::string> contents;
};

struct PackOptions {
  std::string outputPath;
  std::string stubPath;                 // empty: the stub beside zbpack (DefaultStubPath)
  std::optional<std::string> productName;
  std::optional<std::string> scriptMember;  // member name of the install script
  PackMethod method = PackMethod::kAuto;
  ImplodeChoice implode;
  PackOverrides overrides;
  std::vector<uint8_t> appendBytes;     // raw bytes between the last member and the trailer
  std::optional<uint64_t> truncateSize; // bytes the finished output is cut to
  bool quiet = false;                   // --quiet: errors only
  uint32_t codePage = kDefaultCodePage; // --codepage: the installer's texts are in it
  std::vector<MemberSource> members;    // in archive order
  // FILETIME that no member's time may exceed (SOURCE_DATE_EPOCH): later times become it.
  std::optional<uint64_t> latestTime;
};

// argv[0] is the subcommand. Returns an empty string, or the usage error. The options that
// damage the output on purpose (--set, --append-bytes, --truncate) are taken only when fixture
// is set (the hidden subcommand that makes test archives). Checks the command line only; the files, and whether the member names suit the installer, are checked by the
// pack command before anything is written.
std::string ParsePackOptions(int argc, char** argv, bool fixture, PackOptions* options);

// The 1-based index of the first member named like --script; 0 without --script or a match.
uint32_t ScriptIndexOf(const PackOptions& options);

// Reads --codepage's value into *codePage; returns "" or the usage error.
std::string ParseCodePage(const std::string& value, uint32_t* codePage);

// The member name a path gets without --as: its part after the last '/' or '\'.
std::string MemberNameOfPath(const std::string& path);
