// The subcommands of zbpack. Each takes the arguments after its own name (argv[0] is the
// subcommand's name), prints errors as one line "zbpack: FILE: message" to stderr, and returns
// the process exit code (0 success, 1 failure, 2 bad usage).
#pragma once
#include <string>

#include "zbpack/cli/pack_command.h"  // PackHelp

int RunPackCommand(int argc, char** argv);     // pack -o OUT --product NAME ... FILE...
int RunListCommand(int argc, char** argv);     // list FILE
int RunVerifyCommand(int argc, char** argv);   // verify FILE
int RunExtractCommand(int argc, char** argv);  // extract -C DIR FILE
int RunImplodeCommand(int argc, char** argv);  // implode [options] IN OUT
int RunExplodeCommand(int argc, char** argv);  // explode IN OUT

// Each subcommand's help, drawn from the option table its command line is read through.
std::string ListHelp();
std::string VerifyHelp();
std::string ExtractHelp();
std::string ImplodeHelp();
std::string ExplodeHelp();
