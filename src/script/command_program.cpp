#include "script/command_program.h"

#include <cstring>

namespace {

bool IsBlank(char character) { return character == ' ' || character == '\t'; }

bool Contains(const ProgramToken& token, const char* characters) {
  for (size_t i = 0; i < token.length; ++i) {
    if (std::strchr(characters, token.start[i]) != nullptr) return true;
  }
  return false;
}

}  // namespace

ProgramToken FindProgramToken(const char* command) {
  while (IsBlank(*command)) ++command;
  if (*command == '"') {
    const char* start = command + 1;
    const char* close = std::strchr(start, '"');
    const size_t length = close != nullptr ? static_cast<size_t>(close - start) : std::strlen(start);
    return {start, length};
  }
  size_t length = 0;
  while (command[length] != '\0' && !IsBlank(command[length])) ++length;
  return {command, length};
}

bool WorkDirProgramPath(const char* workDir, const char* command, IsFileFn isFile,
                        char (&path)[kPathSize]) {
  const ProgramToken token = FindProgramToken(command);
  if (token.length == 0 || Contains(token, "\\/:")) return false;

  static const char kExeSuffix[] = ".exe";
  const size_t suffixLength = Contains(token, ".") ? 0 : sizeof kExeSuffix - 1;
  const size_t dirLength = std::strlen(workDir);
  if (dirLength + token.length + suffixLength >= sizeof path) return false;

  std::memcpy(path, workDir, dirLength);
  std::memcpy(path + dirLength, token.start, token.length);
  std::memcpy(path + dirLength + token.length, kExeSuffix, suffixLength);
  path[dirLength + token.length + suffixLength] = '\0';
  return isFile(path);
}
