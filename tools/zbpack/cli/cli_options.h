// A command's options as one table that both reads its arguments and draws its help, so that
// neither can name an option the other lacks. Each row names an option once (long and short
// name, the names of its values, its help lines) and says how its values go into the command's
// typed options record.
#pragma once
#include <cstddef>
#include <string>
#include <vector>

#include "zbpack/cli/cli_args.h"

// An option as the help shows it and the parser recognizes it.
struct OptionName {
  const char* longName;   // "--level"
  const char* shortName;  // "-q", or nullptr
  // The names of the values it takes, blank-separated ("N", "NAME PATH"); nullptr for a flag.
  const char* values;
  // Its help lines, '\n' between them. nullptr: the row shares the next row's entry, joined
  // to it by join ("--ascii | --binary").
  const char* help;
  const char* join = nullptr;
  const char* heading = nullptr;  // a line of its own drawn above the entry, or nullptr
};

// Takes an option's values (as many as OptionName::values names) into the options record;
// returns "" or the usage error.
template <typename Options>
using ApplyOption = std::string (*)(Options& options, const std::vector<std::string>& values);

template <typename Options>
struct Option {
  OptionName name;
  ApplyOption<Options> apply;
};

// The apply of a flag that sets one bool of the options record.
template <typename Options, bool Options::*flag>
std::string SetFlag(Options& options, const std::vector<std::string>&) {
  options.*flag = true;
  return "";
}

// One command's command line: its help around the option rows, and what becomes of operands.
template <typename Options>
struct CommandLine {
  const char* command;   // "pack": names the command in its usage errors
  const char* synopsis;  // the help's text above the option rows, ending in '\n'
  const Option<Options>* options;
  size_t optionCount;
  const char* epilogue;  // the help's text below the option rows, or ""
  // Takes an operand; afterDashes is set when "--" came before it. "" or the usage error.
  std::string (*operand)(Options& options, const std::string& text, bool afterDashes);
  // Checks the whole command line once every argument was read. "" or the usage error.
  std::string (*complete)(Options& options);
};

// The operand of a command that reads one installer (a record with a `path`).
template <typename Command>
std::string TakeOneInstaller(Command& command, const std::string& text, bool) {
  if (!command.path.empty()) return "expected one installer";
  command.path = text;
  return "";
}

// The index of the row that option (as ArgReader read it) names, or count for none.
size_t FindOptionName(const std::string& option, const OptionName* const* names, size_t count);

// Reads the values name asks for (none for a flag) from args into *values. "" or the usage
// error.
std::string TakeOptionValues(const OptionName& name, ArgReader& args,
                             std::vector<std::string>* values);

// The help: synopsis, one entry per option (the names from column 3, the help from column 30;
// a long label puts the help on the next line), epilogue.
std::string DrawHelp(const char* synopsis, const OptionName* const* names, size_t count,
                     const char* epilogue);

template <typename Options>
std::vector<const OptionName*> OptionNamesOf(const CommandLine<Options>& line) {
  std::vector<const OptionName*> names;
  for (size_t i = 0; i < line.optionCount; ++i) names.push_back(&line.options[i].name);
  return names;
}

template <typename Options>
std::string CommandHelp(const CommandLine<Options>& line) {
  const std::vector<const OptionName*> names = OptionNamesOf(line);
  return DrawHelp(line.synopsis, names.data(), names.size(), line.epilogue);
}

// Reads argv (argv[0] is the command's name) into *options through the table, in order.
// Returns "" or the usage error.
template <typename Options>
std::string ParseCommandLine(const CommandLine<Options>& line, int argc, char** argv,
                             Options* options) {
  const std::vector<const OptionName*> names = OptionNamesOf(line);
  ArgReader args(argc, argv);
  std::vector<std::string> values;
  while (args.Next()) {
    std::string problem;
    if (args.option().empty()) {
      problem = line.operand(*options, args.operand(), args.optionsEnded());
    } else {
      const size_t row = FindOptionName(args.option(), names.data(), names.size());
      if (row == names.size()) return "unknown option '" + args.option() + "'";
      problem = TakeOptionValues(*names[row], args, &values);
      if (problem.empty()) problem = line.options[row].apply(*options, values);
    }
    if (!problem.empty()) return problem;
  }
  return line.complete(*options);
}
