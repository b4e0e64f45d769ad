// zbpack: builds, lists, verifies and extracts Zubrex self-extracting archives, and runs the
// implode codec on plain files. Dispatches on the subcommand named by the first argument; each
// subcommand's help is drawn from its own option table.
#include <cstdio>
#include <cstring>

#include "zbpack/cli_args.h"
#include "zbpack/cli_report.h"
#include "zbpack/commands.h"

namespace {

constexpr char kUsage[] =
    "usage: zbpack COMMAND [options] [--] ARGUMENTS\n"
    "Builds Zubrex installers (self-extracting programs for Windows) and lists, verifies and\n"
    "extracts them.\n"
    "commands:\n"
    "  pack      build an installer from files and folders\n"
    "  list      show an installer's product, script and members\n"
    "  verify    check that an installer will install what it claims\n"
    "  extract   write an installer's members into a folder\n"
    "  implode   implode a plain file\n"
    "  explode   explode a plain implode stream\n"
    "'zbpack COMMAND --help' describes a command; 'zbpack --version' prints the version.\n"
    "An option's value follows it or is joined to it by '=' (--level=5); '--' ends the\n"
    "options. On a terminal, pack, verify and extract show their progress on stderr.\n"
    "Errors are one line 'zbpack: FILE: message' on stderr; the exit code is 1 on\n"
    "failure and 2 on bad usage.\n";

constexpr char kPackHelp[] =
    "usage: zbpack pack -o OUT.exe --product NAME [options] [--] FILE|DIR|@LIST...\n"
    "Writes the stub followed by an archive of the files. A FILE becomes the member named\n"
    "after its last path component. A DIR adds every file below it, named by its path\n"
    "relative to DIR with '\\' between folders, in byte order of the names; links to files\n"
    "are followed, links to folders refused. @LIST (or --files-from LIST) reads one FILE or\n"
    "DIR per line. Names are relative, without device names such as CON or parts such as ..,\n"
    "at most 160 bytes, and differ in more than case. OUT.exe is written beside itself and\n"
    "renamed into place when complete; it may not be the stub or a FILE.\n"
    "  -o, --output OUT.exe       the installer to write\n"
    "  --product NAME             the product name the installer shows (below 256 bytes)\n"
    "  --as NAME PATH             pack the file PATH as the member NAME, or the folder PATH\n"
    "                             below NAME\\ (repeatable, in order with the FILEs)\n"
    "  --files-from LIST          the FILEs and DIRs named in LIST, one per line (as @LIST)\n"
    "  --script MEMBER            the member that is the install script\n"
    "  --stub STUB.exe            the Zubrex stub (default: zubrex-stub.exe beside zbpack)\n"
    "  --method auto|stored|implode|lzma\n"
    "                             auto (default) implodes and keeps whichever is smaller;\n"
    "                             lzma: LZMA2 (smaller, only this project's tools read it)\n"
    "  --solid                    with lzma: one stream through all members, ordered by\n"
    "                             extension and name (smallest for many similar files)\n"
    "  --ascii | --binary         implode literal coding (default --binary)\n"
    "  --dict 1024|2048|4096      implode dictionary size in bytes (default 4096)\n"
    "  --level N                  effort, 1 fastest to 9 smallest (default 9)\n"
    "  --threads N                threads of levels 8 and 9, 0 to 64 (default 0: all\n"
    "                             cores); the output is the same for any N\n"
    "  --codepage N               the installer's code page (default 1252): names, the\n"
    "                             product and the script are given in UTF-8 and stored in\n"
    "                             it; a character it lacks is refused. Windows ANSI code\n"
    "                             pages: 874, 1250-1258\n"
    "  -q, --quiet                print errors only (no member lines, no progress)\n"
    "  --sign-command CMD         sign the finished installer: CMD runs through the shell\n"
    "                             with %1 standing for its path; the signed result\n"
    "                             is verified, and removed if signing or verifying fails\n"
    "How Windows sees the installer (UTF-8 texts, at most 256 characters):\n"
    "  --execution-level asInvoker|highestAvailable|requireAdministrator\n"
    "                             the manifest's level (default requireAdministrator)\n"
    "  --icon FILE.ico            the installer's icon (default: the stub's)\n"
    "  --product-version A[.B[.C[.D]]]\n"
    "                             file and product version, 0 to 65535 each (default 0)\n"
    "  --company TEXT, --description TEXT, --copyright TEXT\n"
    "                             CompanyName, FileDescription, LegalCopyright\n"
    "Environment: SOURCE_DATE_EPOCH (Unix seconds) caps every member's time at it, so that\n"
    "the same files give the same installer (reproducible builds).\n";

constexpr char kFixtureHelp[] =
    "usage: zbpack fixture [pack's arguments] [--set FIELD=VALUE]... [--append-bytes HEX]\n"
    "                      [--truncate N]\n"
    "Test archives: pack, then damage the output on purpose (after everything else was\n"
    "computed).\n"
    "  --set FIELD=VALUE          write VALUE into one field; repeatable. FIELD is\n"
    "                             archiveTag, trailer.recordTag, trailer.archiveOffset,\n"
    "                             trailer.fileCount, trailer.scriptIndex, trailer.seaTag,\n"
    "                             trailer.totalBytes, trailer.productName (raw text, up to\n"
    "                             256 bytes), member.K.tag, member.K.nameLength,\n"
    "                             member.K.storedSize, member.K.compressed,\n"
    "                             member.K.originalSize, member.K.crc,\n"
    "                             member.K.lastWriteTime (64-bit), member.K.name (raw\n"
    "                             text, written with its NUL). K counts from 1; numbers\n"
    "                             are decimal or 0x-hex. Only the field changes, never how\n"
    "                             many bytes are written (except for member.K.name).\n"
    "  --append-bytes HEX         raw bytes between the last member and the trailer\n"
    "  --truncate N               cut the output to N bytes\n";

struct Subcommand {
  const char* name;
  int (*run)(int argc, char** argv);
  std::string (*help)();
};

constexpr Subcommand kSubcommands[] = {
    {"pack", RunPackCommand, PackHelp},
    {"fixture", RunFixtureCommand, FixtureHelp},
    {"list", RunListCommand, ListHelp},
    {"verify", RunVerifyCommand, VerifyHelp},
    {"extract", RunExtractCommand, ExtractHelp},
    {"implode", RunImplodeCommand, ImplodeHelp},
    {"explode", RunExplodeCommand, ExplodeHelp},
};

const Subcommand* FindSubcommand(const char* name) {
  for (const Subcommand& subcommand : kSubcommands) {
    if (std::strcmp(name, subcommand.name) == 0) return &subcommand;
  }
  return nullptr;
}

int PrintHelp(const Subcommand& subcommand) {
  std::fputs(subcommand.help().c_str(), stdout);
  return kExitSuccess;
}

}  // namespace

std::string PackHelp() { return kPackHelp; }
std::string FixtureHelp() { return kFixtureHelp; }

int main(int argc, char** argv) {
  const bool helpCommand = argc >= 2 && std::strcmp(argv[1], "help") == 0;
  if (argc < 2 || std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0 ||
      (helpCommand && argc == 2)) {
    std::fputs(kUsage, stdout);
    return argc < 2 ? kExitUsage : kExitSuccess;
  }
  if (std::strcmp(argv[1], "--version") == 0) {
    std::puts("zbpack " ZBPACK_VERSION);
    return kExitSuccess;
  }
  if (helpCommand) {
    // "zbpack help COMMAND" is "zbpack COMMAND --help".
    if (argc > 3) return ReportUsage("help", "expected: help [COMMAND]");
    const Subcommand* subcommand = FindSubcommand(argv[2]);
    return subcommand != nullptr ? PrintHelp(*subcommand)
                                 : ReportUsage(argv[2], "unknown subcommand");
  }
  const Subcommand* subcommand = FindSubcommand(argv[1]);
  if (subcommand == nullptr) return ReportUsage(argv[1], "unknown subcommand");
  if (AsksForHelp(argc - 1, argv + 1)) return PrintHelp(*subcommand);
  return subcommand->run(argc - 1, argv + 1);
}
