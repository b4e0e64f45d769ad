#include "zbpack/cli/cli_args.h"

bool ArgReader::Next() {
  if (++index_ >= argc_) return false;
  const std::string argument = argv_[index_];
  option_.clear();
  operand_.clear();
  hasInline_ = false;
  if (!optionsEnded_ && argument == "--") {
    optionsEnded_ = true;
    return Next();
  }
  if (optionsEnded_ || argument.size() < 2 || argument[0] != '-') {
    operand_ = argument;
    return true;
  }
  const size_t equals = argument.find('=');
  if (argument[1] == '-' && equals != std::string::npos) {
    option_ = argument.substr(0, equals);
    inline_ = argument.substr(equals + 1);
    hasInline_ = true;
  } else {
    option_ = argument;
  }
  return true;
}

bool ArgReader::Value(std::string* value) {
  if (hasInline_) {
    *value = inline_;
    hasInline_ = false;
    return true;
  }
  if (index_ + 1 >= argc_) {
    error_ = option_ + " needs a value";
    return false;
  }
  *value = argv_[++index_];
  return true;
}

bool ArgReader::Flag() {
  if (!hasInline_) return true;
  error_ = option_ + " takes no value";
  return false;
}

bool AsksForHelp(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    const std::string argument = argv[i];
    if (argument == "--") return false;
    if (argument == "--help" || argument == "-h") return true;
  }
  return false;
}
