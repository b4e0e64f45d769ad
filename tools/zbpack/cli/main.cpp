// zbpack: builds, lists, verifies and extracts Zubrex self-extracting archives, and runs the
// implode codec on plain files. Dispatches on the subcommand named by the first argument; each
// subcommand's help is drawn from its own option table.
#include <cstdio>
#include <cstring>

#include "zbpack/cli/cli_args.h"
#include "zbpack/cli/cli_report.h"
#include "zbpack/cli/commands.h"

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

struct Subcommand {
  const char* name;
  int (*run)(int argc, char** argv);
  std::string (*help)();
};

constexpr Subcommand kSubcommands[] = {
    {"pack", RunPackCommand, PackHelp},          {"list", RunListCommand, ListHelp},
    {"verify", RunVerifyCommand, VerifyHelp},    {"extract", RunExtractCommand, ExtractHelp},
    {"implode", RunImplodeCommand, ImplodeHelp}, {"explode", RunExplodeCommand, ExplodeHelp},
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
