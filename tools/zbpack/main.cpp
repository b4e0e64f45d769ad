// zbpack: builds, lists, verifies and extracts Zubrex self-extracting archives, and runs the
// implode codec on plain files. Dispatches on the subcommand named by the first argument.
#include <cstdio>
#include <cstring>

#include "zbpack/cli_report.h"
#include "zbpack/commands.h"

namespace {

constexpr char kUsage[] =
    "usage:\n"
    "  zbpack pack -o OUT.exe [--stub STUB.exe] --product NAME [options] FILE|DIR|@LIST...\n"
    "      Writes STUB.exe followed by an archive of the FILEs. STUB.exe must be a Zubrex\n"
    "      stub; without --stub, zubrex-stub.exe beside zbpack is used. A FILE may be given\n"
    "      as NAME=PATH to store PATH under the member name NAME; otherwise the member is\n"
    "      named after the file's last path component. A DIR adds every file below it, named\n"
    "      by its path relative to DIR with '\\' between folders (NAME=DIR puts them below\n"
    "      NAME), in byte order of the names; links to files are followed, links to folders\n"
    "      refused. @LIST (or --files-from LIST) reads one FILE or DIR per line. Names are\n"
    "      relative, without device names such as CON or parts such as .., at most 160\n"
    "      bytes, and differ in more than case. OUT.exe is written beside itself and renamed\n"
    "      into place when complete; it may not be the stub or a FILE.\n"
    "      --script MEMBER            the member that is the install script\n"
    "      --method auto|stored|implode\n"
    "                                 auto (default) implodes and keeps whichever is smaller\n"
    "      --ascii | --binary         implode literal coding (default --binary)\n"
    "      --dict 1024|2048|4096      implode dictionary size in bytes (default 4096)\n"
    "      --level N                  implode effort, 1 fastest to 9 smallest (default 9)\n"
    "      --threads N                threads of levels 8 and 9 (default 0: all cores);\n"
    "                                 the output is the same for any N\n"
    "      --sign-command CMD         sign the finished installer: CMD runs through the shell\n"
    "                                 with %1 replaced by its quoted path; the signed result\n"
    "                                 is verified, and removed if signing or verifying fails\n"
    "    Test archives (written after everything else was computed):\n"
    "      --set FIELD=VALUE          write VALUE into one field; repeatable. FIELD is\n"
    "                                 archiveTag, trailer.recordTag, trailer.archiveOffset,\n"
    "                                 trailer.fileCount, trailer.scriptIndex, trailer.seaTag,\n"
    "                                 trailer.totalBytes, trailer.productName (raw text, up to\n"
    "                                 256 bytes), member.K.tag, member.K.nameLength,\n"
    "                                 member.K.storedSize, member.K.compressed,\n"
    "                                 member.K.originalSize, member.K.crc,\n"
    "                                 member.K.lastWriteTime (64-bit), member.K.name (raw\n"
    "                                 text, written with its NUL). K counts from 1; numbers\n"
    "                                 are decimal or 0x-hex. Only the field changes, never how\n"
    "                                 many bytes are written (except for member.K.name).\n"
    "      --append-bytes HEX         raw bytes between the last member and the trailer\n"
    "      --truncate N               cut the output to N bytes\n"
    "  zbpack list FILE.exe           product, members, script member, one line per member\n"
    "  zbpack verify FILE.exe         check that the installer will install what it claims:\n"
    "                                 the records, names, sizes and CRC-32 of every member\n"
    "  zbpack extract -C DIR [--force] FILE.exe\n"
    "                                 write the members into DIR (made if missing) with their\n"
    "                                 times; existing files are refused, or with --force\n"
    "                                 replaced if they are regular files (links never followed)\n"
    "  zbpack implode [--binary|--ascii] [--dict 1024|2048|4096] [--level N]\n"
    "                 [--threads N] IN OUT\n"
    "                                 implode a plain file\n"
    "  zbpack explode IN OUT          explode a plain implode stream\n"
    "  zbpack --help                  this text\n"
    "Errors are one line 'zbpack: FILE: message' on stderr; the exit code is 1 on failure\n"
    "and 2 on bad usage.\n";

struct Subcommand {
  const char* name;
  int (*run)(int argc, char** argv);
};

constexpr Subcommand kSubcommands[] = {
    {"pack", RunPackCommand},
    {"list", RunListCommand},
    {"verify", RunVerifyCommand},
    {"extract", RunExtractCommand},
#ifdef ZBPACK_HAVE_CODEC_COMMANDS
    {"implode", RunImplodeCommand},
    {"explode", RunExplodeCommand},
#endif
};

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2 || std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0 ||
      std::strcmp(argv[1], "help") == 0) {
    std::fputs(kUsage, stdout);
    return argc < 2 ? kExitUsage : kExitSuccess;
  }
  for (const Subcommand& subcommand : kSubcommands) {
    if (std::strcmp(argv[1], subcommand.name) == 0) return subcommand.run(argc - 1, argv + 1);
  }
  return ReportUsage(argv[1], "unknown subcommand");
}
