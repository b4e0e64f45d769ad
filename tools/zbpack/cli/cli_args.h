// Reading a subcommand's arguments the way command-line tools usually take them: options as
// "--name value" or "--name=value" (short ones as "-o value"), "--" ending the options, and
// everything else (also "-" alone) an operand, '=' included.
#pragma once
#include <cstdint>
#include <string>

class ArgReader {
 public:
  // argv[0] is the subcommand's name; the arguments follow it. argv must outlive the reader.
  ArgReader(int argc, char** argv) : argc_(argc), argv_(argv) {}

  // Steps to the next argument; false when there is none. After true, option() is the option's
  // name ("--level", "-o") or empty for an operand, whose text is operand().
  bool Next();
  const std::string& option() const { return option_; }
  const std::string& operand() const { return operand_; }
  // True once "--" has been read: operands after it are plain paths, whatever they begin with.
  bool optionsEnded() const { return optionsEnded_; }

  // The current option's value: its "=value" part, else the next argument (taken even if it
  // begins with '-'). False with error() set when there is none. Called twice, the second
  // call takes the following argument (options with two values).
  bool Value(std::string* value);
  // For an option that takes no value: false with error() set when "=value" was given.
  bool Flag();

  const std::string& error() const { return error_; }
  // The argv index of the argument last read.
  int index() const { return index_; }

 private:
  int argc_;
  char** argv_;
  int index_ = 0;
  bool optionsEnded_ = false;
  bool hasInline_ = false;
  std::string option_;
  std::string operand_;
  std::string inline_;
  std::string error_;
};

// True when the arguments ask for help: "--help" or "-h" before any "--".
bool AsksForHelp(int argc, char** argv);
