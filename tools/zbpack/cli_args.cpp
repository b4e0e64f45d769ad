#include "zbpack/cli_args.h"

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

int HexDigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool ParseNumber(const std::string& text, uint64_t maxValue, uint64_t* value) {
  const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
  const size_t first = hex ? 2 : 0;
  const uint64_t base = hex ? 16 : 10;
  if (text.size() == first) return false;
  uint64_t result = 0;
  for (size_t i = first; i < text.size(); ++i) {
    const int digit = HexDigitValue(text[i]);
    if (digit < 0 || static_cast<uint64_t>(digit) >= base) return false;
    const uint64_t d = static_cast<uint64_t>(digit);
    if (d > maxValue || result > (maxValue - d) / base) return false;
    result = result * base + d;
  }
  *value = result;
  return true;
}
