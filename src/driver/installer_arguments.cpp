#include "driver/installer_arguments.h"

#include <cstring>

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

char Upper(char c) { return c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c; }

// Whether text begins with prefix (upper case), letters compared without case.
bool StartsWithNoCase(const char* text, const char* prefix) {
  for (; *prefix != '\0'; ++text, ++prefix) {
    if (Upper(*text) != *prefix) return false;
  }
  return true;
}

// The program's own name: to the closing quote when it starts with one, else to the first
// blank. Backslashes mean nothing there. Returns where the arguments begin.
const char* SkipProgramName(const char* cursor) {
  if (*cursor == '"') {
    const char* close = std::strchr(cursor + 1, '"');
    return close != nullptr ? close + 1 : cursor + std::strlen(cursor);
  }
  while (*cursor != '\0' && !IsBlank(*cursor)) ++cursor;
  return cursor;
}

// One argument, at most kArgumentSize - 1 bytes of it kept.
constexpr size_t kArgumentSize = kPathSize + 8;
struct Argument {
  char text[kArgumentSize];
  size_t length;  // bytes of the whole argument, also those that did not fit
};

void Append(Argument& argument, char c) {
  if (argument.length + 1 < kArgumentSize) argument.text[argument.length] = c;
  ++argument.length;
}

// Reads the argument at cursor (after blanks) into argument; returns the cursor behind it, or
// null when no argument is left.
const char* NextArgument(const char* cursor, Argument& argument) {
  while (IsBlank(*cursor)) ++cursor;
  if (*cursor == '\0') return nullptr;
  argument.length = 0;
  bool quoted = false;
  while (*cursor != '\0' && (quoted || !IsBlank(*cursor))) {
    size_t backslashes = 0;
    while (*cursor == '\\') ++backslashes, ++cursor;
    if (*cursor != '"') {
      while (backslashes-- > 0) Append(argument, '\\');
      if (*cursor != '\0' && (quoted || !IsBlank(*cursor))) Append(argument, *cursor++);
      continue;
    }
    for (size_t i = 0; i < backslashes / 2; ++i) Append(argument, '\\');
    if (backslashes % 2 == 1) {
      Append(argument, '"');
    } else if (quoted && cursor[1] == '"') {
      Append(argument, '"');
      ++cursor;
    } else {
      quoted = !quoted;
    }
    ++cursor;
  }
  argument.text[argument.length < kArgumentSize ? argument.length : kArgumentSize - 1] = '\0';
  return cursor;
}

}  // namespace

InstallerArguments ParseInstallerArguments(const char* commandLine) {
  InstallerArguments arguments;
  if (commandLine == nullptr) return arguments;
  static const char kLogSwitch[] = "/LOG=";
  constexpr size_t kLogSwitchLength = sizeof kLogSwitch - 1;
  Argument argument;
  for (const char* cursor = SkipProgramName(commandLine);
       (cursor = NextArgument(cursor, argument)) != nullptr;) {
    if (argument.length == 2 && StartsWithNoCase(argument.text, "/S")) {
      arguments.silent = true;
    } else if (StartsWithNoCase(argument.text, kLogSwitch)) {
      const size_t pathLength = argument.length - kLogSwitchLength;
      const bool fits = pathLength < kPathSize;
      std::memcpy(arguments.logPath, argument.text + kLogSwitchLength, fits ? pathLength : 0);
      arguments.logPath[fits ? pathLength : 0] = '\0';
    }
  }
  return arguments;
}
