// The command line of `zbpack pack`, parsed into one record.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

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
  uint32_t threads = 0;            // --threads 0..kPackMaxThreads: 0 one per core
};

constexpr uint32_t kPackMaxThreads = 64;  // the encoder's limit, checked where both are seen

// Where a member source came from. The parser gives kPath, kNamedPath ("NAME=PATH") and
// kListFile ("@LIST", "--files-from LIST"); ExpandMemberTree turns them all into files.
enum class MemberSourceKind { kPath, kNamedPath, kListFile };

// One FILE argument: the file at path becomes the member called name ("NAME=PATH", or else the
// path's last component). A folder or a list file stands for the members it expands to.
struct MemberSource {
  std::string name;
  std::string path;
  MemberSourceKind kind = MemberSourceKind::kPath;
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
  std::optional<std::string> signCommand;  // run on the finished output, "%1" = its path
  std::vector<MemberSource> members;    // in archive order
};

// argv[0] is "pack". Returns an empty string, or the usage error. Checks the command line
// only; the files, and whether the member names suit the installer, are checked by the
// pack command before anything is written.
std::string ParsePackOptions(int argc, char** argv, PackOptions* options);

// The usage checks that need the members as files (after ExpandMemberTree): names and paths
// not empty, --script naming a member, override indexes in range. Empty, or the usage error.
std::string CheckPackMembers(const PackOptions& options);

// The 1-based index of the first member named like --script; 0 without --script or a match.
uint32_t ScriptIndexOf(const PackOptions& options);

// The member name a path gets without "NAME=": its part after the last '/' or '\'.
std::string MemberNameOfPath(const std::string& path);
