// The command line of `zbpack pack` (and of the hidden fixture command, which takes pack's
// options and those that damage the output on purpose): one option table that reads the
// arguments into PackOptions and draws pack's help.
#pragma once
#include <string>

#include "zbpack/pack_options.h"

struct PackCommand {
  PackOptions options;
  bool quiet = false;  // --quiet: errors only
};

// argv[0] is the subcommand. Returns "" or the usage error. The damaging options (--set,
// --append-bytes, --truncate) are taken only when fixture is set. Checks the command line
// only; the members as files are checked when packing, before anything is written.
std::string ParsePackCommand(int argc, char** argv, bool fixture, PackCommand* command);

// pack's help, drawn from its table.
std::string PackHelp();
