// What `zbpack pack` is asked to build, as one record.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "implode/implode.h"
#include "zbpack/host/code_page.h"
#include "zbpack/operations/installer_identity.h"

enum class PackMethod {
  kAuto,     // implode, and keep the imploded data only if it is smaller than the contents
  kStored,   // always the contents as they are
  kImplode,  // always imploded
  kLzma,     // LZMA2 streams (liblzma), each member's own or, solid, one through all
};

// Settings handed to the implode encoder.
struct ImplodeChoice {
  bool asciiLiterals = false;      // --ascii: literals coded for text; default binary
  uint32_t dictionarySize = 4096;  // bytes: 1024, 2048 or 4096
  std::optional<int> level;        // --level 1..9; the encoder's default when absent
  uint32_t threads = 0;            // --threads 0..kImplodeMaxThreads: 0 one per core
};

// Where a member source came from. The parser gives kPath (PATH), kNamedPath ("--as NAME PATH")
// and kListFile ("@LIST", "--files-from LIST"); ExpandMemberTree turns them all into files.
enum class MemberSourceKind { kPath, kNamedPath, kListFile };

// One input to pack: the file at path becomes the member called name (given by --as NAME PATH,
// or else the path's last component). A folder or a list file stands for the members it
// expands to.
struct MemberSource {
  std::string name;  // UTF-8, as given
  std::string path;
  MemberSourceKind kind = MemberSourceKind::kPath;
  // Filled by pack before it writes: the name as the archive holds it, in the code page, and
  // for the script its contents converted to the code page (other members are their files).
  std::string storedName;
  std::optional<std::string> contents;
};

struct PackOptions {
  std::string outputPath;
  std::string stubPath;  // empty: the stub beside zbpack (DefaultStubPath)
  std::optional<std::string> productName;
  std::optional<std::string> scriptMember;  // member name of the install script
  PackMethod method = PackMethod::kAuto;
  ImplodeChoice implode;                   // also --level for kLzma
  bool solid = false;                      // --solid (kLzma): one stream through all members
  uint32_t codePage = kDefaultCodePage;    // --codepage: the installer's texts are in it
  std::optional<std::string> signCommand;  // run on the finished output, "%1" = its path
  std::vector<MemberSource> members;       // in archive order
  // FILETIME that no member's time may exceed (SOURCE_DATE_EPOCH): later times become it.
  std::optional<uint64_t> latestTime;

  // How Windows sees the installer: manifest, version information, icon.
  IdentityOptions identity;
  // --depfile: where to write the inputs as a Makefile rule once the installer is done.
  std::string depfilePath;
};

// The usage checks that need the members as files (after ExpandMemberTree): names and paths
// not empty, --script naming a member. Empty, or the usage error.
std::string CheckPackMembers(const PackOptions& options);

// The 1-based index of the first member named like --script; 0 without --script or a match.
uint32_t ScriptIndexOf(const PackOptions& options);

// The member name a path gets without --as: its part after the last '/' or '\'.
std::string MemberNameOfPath(const std::string& path);
