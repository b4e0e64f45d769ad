// The command line of `zbpack pack`: one option table that reads the arguments into
// PackOptions and draws pack's help.
#pragma once
#include <string>

#include "zbpack/operations/pack_options.h"

struct PackCommand {
  PackOptions options;
  bool quiet = false;  // --quiet: errors only
};

// argv[0] is the subcommand. Returns "" or the usage error. Checks the command line only;
// the members as files are checked when packing, before anything is written.
std::string ParsePackCommand(int argc, char** argv, PackCommand* command);

// pack's help, drawn from its table.
std::string PackHelp();
