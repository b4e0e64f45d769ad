// zbpack: builds, lists, verifies and extracts Zubrex self-extracting archives, and runs the
// implode codec on plain files. Dispatches on the subcommand named by the first argument; each
// subcommand's help is kept here, beside the list of subcommands.
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

constexpr char kListHelp[] =
    "usage: zbpack list [--json] [--codepage N] FILE.exe\n"
    "Shows the product, the total size, the script member and one line per member (method,\n"
    "sizes, CRC-32, time, name).\n"
    "  --json                     the same as one JSON document\n"
    "  --codepage N               the installer's code page (default 1252); names and the\n"
    "                             product are shown in UTF-8\n";

constexpr char kVerifyHelp[] =
    "usage: zbpack verify [--json] [--quiet] [--codepage N] FILE.exe\n"
    "Checks that the installer will install what it claims: the records, names, sizes and\n"
    "CRC-32 of every member, each member decoded as the installer decodes it. Exit 0 means\n"
    "it will.\n"
    "  --json                     one JSON document: the archive, each member with its\n"
    "                             outcome and reason, the problems found\n"
    "  -q, --quiet                print errors only\n";

constexpr char kExtractHelp[] =
    "usage: zbpack extract -C DIR [--force] [--quiet] [--codepage N] FILE.exe\n"
    "Writes the members into DIR (made if missing) with their times. On Linux the names are\n"
    "converted from the installer's code page (--codepage, default 1252) to UTF-8.\n"
    "  -C, --directory DIR        where the members go\n"
    "  --force                    replace existing regular files (links are never followed,\n"
    "                             other files never replaced); without it they are refused\n"
    "  -q, --quiet                print errors only\n";

constexpr char kImplodeHelp[] =
    "usage: zbpack implode [--binary|--ascii] [--dict 1024|2048|4096] [--level N]\n"
    "                      [--threads N] IN OUT\n"
    "Implodes the plain file IN into OUT. --threads N: threads of levels 8 and 9, 0 to 64\n"
    "(default 0: all cores); the output is the same for any N.\n";

constexpr char kExplodeHelp[] =
    "usage: zbpack explode IN OUT\n"
    "Explodes the plain implode stream IN into OUT.\n";

struct Subcommand {
  const char* name;
  int (*run)(int argc, char** argv);
  const char* help;
};

constexpr Subcommand kSubcommands[] = {
    {"pack", RunPackCommand, kPackHelp},
    {"list", RunListCommand, kListHelp},
    {"verify", RunVerifyCommand, kVerifyHelp},
    {"extract", RunExtractCommand, kExtractHelp},
    {"implode", RunImplodeCommand, kImplodeHelp},
    {"explode", RunExplodeCommand, kExplodeHelp},
};

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2 || std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0 ||
      std::strcmp(argv[1], "help") == 0) {
    std::fputs(kUsage, stdout);
    return argc < 2 ? kExitUsage : kExitSuccess;
  }
  if (std::strcmp(argv[1], "--version") == 0) {
    std::puts("zbpack " ZBPACK_VERSION);
    return kExitSuccess;
  }
  for (const Subcommand& subcommand : kSubcommands) {
    if (std::strcmp(argv[1], subcommand.name) != 0) continue;
    if (AsksForHelp(argc - 1, argv + 1)) {
      std::fputs(subcommand.help, stdout);
      return kExitSuccess;
    }
    return subcommand.run(argc - 1, argv + 1);
  }
  return ReportUsage(argv[1], "unknown subcommand");
}
