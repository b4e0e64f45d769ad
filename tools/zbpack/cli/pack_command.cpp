#include "zbpack/cli/pack_command.h"

#include <cstdint>
#include <iterator>
#include <vector>

#include "zbpack/cli/cli_options.h"
#include "zbpack/cli/option_values.h"
#include "zbpack/operations/installer_identity.h"
#include "zbpack/operations/member_lzma.h"

namespace {

using Values = std::vector<std::string>;

// An option whose one value is taken as it is into a text of PackOptions.
template <std::string PackOptions::*text>
std::string SetText(PackCommand& command, const Values& values) {
  command.options.*text = values[0];
  return "";
}

template <std::optional<std::string> PackOptions::*text>
std::string SetOptionalText(PackCommand& command, const Values& values) {
  command.options.*text = values[0];
  return "";
}

template <const char* option>
std::string SetImplodeChoice(PackCommand& command, const Values& values) {
  return ParseImplodeOption(option, values[0], &command.options.implode);
}

template <const char* option>
std::string SetIdentity(PackCommand& command, const Values& values) {
  return TakeIdentityOption(option, values[0], &command.options.identity);
}

std::string AddNamedPath(PackCommand& command, const Values& values) {
  MemberSource member;
  member.name = values[0];
  member.path = values[1];
  member.kind = MemberSourceKind::kNamedPath;
  command.options.members.push_back(member);
  return "";
}

std::string AddListFile(PackCommand& command, const Values& values) {
  MemberSource member;
  member.path = values[0];
  member.kind = MemberSourceKind::kListFile;
  command.options.members.push_back(member);
  return "";
}

std::string SetMethod(PackCommand& command, const Values& values) {
  const std::string& value = values[0];
  PackMethod& method = command.options.method;
  if (value == "auto") {
    method = PackMethod::kAuto;
  } else if (value == "stored") {
    method = PackMethod::kStored;
  } else if (value == "implode") {
    method = PackMethod::kImplode;
  } else if (value != "lzma") {
    return "--method must be auto, stored, implode or lzma, not '" + value + "'";
  } else if (!LzmaEncoderAvailable()) {
    return "--method lzma is not available in this zbpack (built without liblzma): "
           "pack LZMA installers with the Linux zbpack";
  } else {
    method = PackMethod::kLzma;
  }
  return "";
}

std::string SetSignCommand(PackCommand& command, const Values& values) {
  if (values[0].find("%1") == std::string::npos) {
    return "--sign-command needs %1 where the installer's path goes, in '" + values[0] + "'";
  }
  command.options.signCommand = values[0];
  return "";
}

constexpr char kDict[] = "--dict", kLevel[] = "--level", kThreads[] = "--threads";
constexpr char kExecutionLevel[] = "--execution-level", kIcon[] = "--icon",
               kProductVersion[] = "--product-version", kCompany[] = "--company",
               kDescription[] = "--description", kCopyright[] = "--copyright";

constexpr Option<PackCommand> kPackOptions[] = {
    {{"--output", "-o", "OUT.exe", "the installer to write"}, SetText<&PackOptions::outputPath>},
    {{"--product", nullptr, "NAME", "the product name the installer shows (below 256 bytes)"},
     SetOptionalText<&PackOptions::productName>},
    {{"--as", nullptr, "NAME PATH",
      "pack the file PATH as the member NAME, or the folder PATH\n"
      "below NAME\\ (repeatable, in order with the FILEs)"},
     AddNamedPath},
    {{"--files-from", nullptr, "LIST", "the FILEs and DIRs named in LIST, one per line (as @LIST)"},
     AddListFile},
    {{"--script", nullptr, "MEMBER", "the member that is the install script"},
     SetOptionalText<&PackOptions::scriptMember>},
    {{"--stub", nullptr, "STUB.exe", "the Zubrex stub (default: zubrex-stub.exe beside zbpack)"},
     SetText<&PackOptions::stubPath>},
    {{"--method", nullptr, "auto|stored|implode|lzma",
      "auto (default) implodes and keeps whichever is smaller;\n"
      "lzma: LZMA2 (smaller, only this project's tools read it)"},
     SetMethod},
    {{"--solid", nullptr, nullptr,
      "with lzma: one stream through all members, ordered by\n"
      "extension and name (smallest for many similar files)"},
     [](PackCommand& command, const Values&) {
       command.options.solid = true;
       return std::string();
     }},
    {{"--ascii", nullptr, nullptr, nullptr, " | "},
     [](PackCommand& command, const Values&) {
       command.options.implode.asciiLiterals = true;
       return std::string();
     }},
    {{"--binary", nullptr, nullptr, "implode literal coding (default --binary)"},
     [](PackCommand& command, const Values&) {
       command.options.implode.asciiLiterals = false;
       return std::string();
     }},
    {{kDict, nullptr, "1024|2048|4096", "implode dictionary size in bytes (default 4096)"},
     SetImplodeChoice<kDict>},
    {{kLevel, nullptr, "N", "effort, 1 fastest to 9 smallest (default 9)"},
     SetImplodeChoice<kLevel>},
    {{kThreads, nullptr, "N",
      "threads of levels 8 and 9, 0 to 64 (default 0: all\n"
      "cores); the output is the same for any N"},
     SetImplodeChoice<kThreads>},
    {{"--codepage", nullptr, "N",
      "the installer's code page (default 1252): names, the\n"
      "product and the script are given in UTF-8 and stored in\n"
      "it; a character it lacks is refused. Windows ANSI code\n"
      "pages: 874, 1250-1258"},
     [](PackCommand& command, const Values& values) {
       return ParseCodePage(values[0], &command.options.codePage);
     }},
    {{"--quiet", "-q", nullptr, "print errors only (no member lines, no progress)"},
     SetFlag<PackCommand, &PackCommand::quiet>},
    {{"--sign-command", nullptr, "CMD",
      "sign the finished installer: CMD runs through the shell\n"
      "with %1 standing for its path; the signed result\n"
      "is verified, and removed if signing or verifying fails"},
     SetSignCommand},
    {{"--depfile", nullptr, "FILE",
      "once the installer is complete, write its inputs to FILE\n"
      "as a Makefile rule (for the build to rebuild it)"},
     SetText<&PackOptions::depfilePath>},
    {{kExecutionLevel, nullptr, "asInvoker|highestAvailable|requireAdministrator",
      "the manifest's level (default requireAdministrator)", nullptr,
      "How Windows sees the installer (UTF-8 texts, at most 256 characters):"},
     SetIdentity<kExecutionLevel>},
    {{kIcon, nullptr, "FILE.ico", "the installer's icon (default: the stub's)"},
     SetIdentity<kIcon>},
    {{kProductVersion, nullptr, "A[.B[.C[.D]]]",
      "file and product version, 0 to 65535 each (default 0)"},
     SetIdentity<kProductVersion>},
    {{kCompany, nullptr, "TEXT", nullptr, ", "}, SetIdentity<kCompany>},
    {{kDescription, nullptr, "TEXT", nullptr, ", "}, SetIdentity<kDescription>},
    {{kCopyright, nullptr, "TEXT", "CompanyName, FileDescription, LegalCopyright"},
     SetIdentity<kCopyright>},
};

// A FILE, a DIR, or "@LIST" (a list file, unless it comes after "--": then a path like any
// other).
std::string TakeMember(PackCommand& command, const std::string& text, bool afterDashes) {
  MemberSource member;
  if (!afterDashes && text.size() > 1 && text[0] == '@') {
    member.path = text.substr(1);
    member.kind = MemberSourceKind::kListFile;
  } else {
    member.name = MemberNameOfPath(text);
    member.path = text;
  }
  command.options.members.push_back(member);
  return "";
}

std::string CheckPackCommand(PackCommand& command) {
  const PackOptions& options = command.options;
  if (options.solid && options.method != PackMethod::kLzma) return "--solid needs --method lzma";
  if (options.outputPath.empty()) return "missing -o OUT";
  if (!options.productName) return "missing --product NAME";
  if (options.members.empty()) return "no FILE to pack";
  return "";
}

constexpr char kPackSynopsis[] =
    "usage: zbpack pack -o OUT.exe --product NAME [options] [--] FILE|DIR|@LIST...\n"
    "Writes the stub followed by an archive of the files. A FILE becomes the member named\n"
    "after its last path component. A DIR adds every file below it, named by its path\n"
    "relative to DIR with '\\' between folders, in byte order of the names; links to files\n"
    "are followed, links to folders refused. @LIST (or --files-from LIST) reads one FILE or\n"
    "DIR per line. Names are relative, without device names such as CON or parts such as ..,\n"
    "at most 160 bytes, and differ in more than case. OUT.exe is written beside itself and\n"
    "renamed into place when complete; it may not be the stub or a FILE.\n";

constexpr char kPackEpilogue[] =
    "Environment: SOURCE_DATE_EPOCH (Unix seconds) caps every member's time at it, so that\n"
    "the same files give the same installer (reproducible builds).\n";

constexpr CommandLine<PackCommand> kPackLine = {
    "pack",        kPackSynopsis, kPackOptions,    std::size(kPackOptions),
    kPackEpilogue, TakeMember,    CheckPackCommand};

}  // namespace

std::string ParsePackCommand(int argc, char** argv, PackCommand* command) {
  return ParseCommandLine(kPackLine, argc, argv, command);
}

std::string PackHelp() { return CommandHelp(kPackLine); }
