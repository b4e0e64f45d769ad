#include "script/command_program.h"

#include <cstring>

#include "archive/member_name.h"

namespace {

bool IsBlank(char character) { return character == ' ' || character == '\t'; }

bool Contains(const char* name, size_t length, const char* characters) {
  for (size_t i = 0; i < length; ++i) {
    if (std::strchr(characters, name[i]) != nullptr) return true;
  }
  return false;
}

enum Lookup { kFound, kNotHere, kStop };

// Looks for one candidate name (length characters at name) in workDir. kStop when no longer
// candidate can be found either: the name names a path or its joined path does not fit.
Lookup LookUp(const char* workDir, const char* name, size_t length, IsFileFn isFile,
              char (&path)[kPathSize]) {
  // '/' begins a switch on Windows command lines ("cmd /c"): it ends the search as before.
  if (length == 0 || length >= kPathSize || Contains(name, length, "/")) return kStop;
  // A program in a folder of the work directory ("sub\tool") is found only by a name that
  // stays inside it: the member name rules decide, as for the files extracted there.
  char candidate[kPathSize];
  std::memcpy(candidate, name, length);
  candidate[length] = '\0';
  if (!IsSafeMemberName(candidate)) return kStop;
  size_t fileStart = 0;
  for (size_t i = 0; i < length; ++i) {
    if (candidate[i] == '\\') fileStart = i + 1;
  }
  static const char kExeSuffix[] = ".exe";
  const size_t suffixLength =
      Contains(candidate + fileStart, length - fileStart, ".") ? 0 : sizeof kExeSuffix - 1;
  const size_t dirLength = std::strlen(workDir);
  if (dirLength + length + suffixLength >= sizeof path) return kStop;

  std::memcpy(path, workDir, dirLength);
  std::memcpy(path + dirLength, name, length);
  std::memcpy(path + dirLength + length, kExeSuffix, suffixLength);
  path[dirLength + length + suffixLength] = '\0';
  return isFile(path) ? kFound : kNotHere;
}

}  // namespace

bool WorkDirProgramPath(const char* workDir, const char* command, IsFileFn isFile,
                        char (&path)[kPathSize]) {
  while (IsBlank(*command)) ++command;
  if (*command == '"') {
    const char* name = command + 1;
    const char* close = std::strchr(name, '"');
    const size_t length = close != nullptr ? static_cast<size_t>(close - name) : std::strlen(name);
    return LookUp(workDir, name, length, isFile, path) == kFound;
  }
  // Each candidate ends where a word ends: before a blank, or at the end of the command.
  for (size_t end = 0; command[end] != '\0';) {
    while (command[end] != '\0' && !IsBlank(command[end])) ++end;
    switch (LookUp(workDir, command, end, isFile, path)) {
      case kFound:
        return true;
      case kStop:
        return false;
      case kNotHere:
        break;
    }
    while (IsBlank(command[end])) ++end;
  }
  return false;
}
