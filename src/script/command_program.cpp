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

// A name that the platform would take as a path rather than search for.
bool NamesAPath(const char* name, size_t length) { return Contains(name, length, "\\/:"); }

// One place to look in: a folder (length characters, without its closing separator or with).
struct Folder {
  const char* name;
  size_t length;
};

// Joins folder, a separator if it lacks one, the candidate (length characters) and ".exe" when
// the candidate's file name has no extension, and asks isFile. False for a folder that is
// empty, or a joined path that would not fit.
bool LookIn(Folder folder, const char* name, size_t length, IsFileFn isFile,
            char (&path)[kPathSize]) {
  if (folder.length == 0) return false;
  size_t fileStart = 0;
  for (size_t i = 0; i < length; ++i) {
    if (name[i] == '\\') fileStart = i + 1;
  }
  static const char kExeSuffix[] = ".exe";
  const size_t suffixLength =
      Contains(name + fileStart, length - fileStart, ".") ? 0 : sizeof kExeSuffix - 1;
  const bool separator = folder.name[folder.length - 1] != '\\';
  if (folder.length + separator + length + suffixLength >= sizeof path) return false;
  char* end = path;
  std::memcpy(end, folder.name, folder.length);
  end += folder.length;
  if (separator) *end++ = '\\';
  std::memcpy(end, name, length);
  std::memcpy(end + length, kExeSuffix, suffixLength);
  end[length + suffixLength] = '\0';
  return isFile(path);
}

// A folder of PATH is used only when absolute: "X:\..." or a network path "\\server\...".
bool IsAbsoluteFolder(Folder folder) {
  const char* n = folder.name;
  if (folder.length >= 2 && n[0] == '\\' && n[1] == '\\') return true;
  const bool letter = (n[0] >= 'A' && n[0] <= 'Z') || (n[0] >= 'a' && n[0] <= 'z');
  return folder.length >= 3 && letter && n[1] == ':' && n[2] == '\\';
}

// Looks for a bare candidate in each absolute folder of pathList, in order.
bool LookInPathList(const char* pathList, const char* name, size_t length, IsFileFn isFile,
                    char (&path)[kPathSize]) {
  for (const char* entry = pathList; entry != nullptr && *entry != '\0';) {
    const char* end = std::strchr(entry, ';');
    Folder folder = {entry, end != nullptr ? size_t(end - entry) : std::strlen(entry)};
    if (folder.length >= 2 && folder.name[0] == '"' && folder.name[folder.length - 1] == '"') {
      folder = {folder.name + 1, folder.length - 2};
    }
    if (IsAbsoluteFolder(folder) && LookIn(folder, name, length, isFile, path)) return true;
    entry = end != nullptr ? end + 1 : nullptr;
  }
  return false;
}

Folder FolderOf(const char* name) { return {name, name != nullptr ? std::strlen(name) : 0}; }

enum Lookup { kFound, kNotHere, kStop };

// Looks for one candidate (length characters at name) in every place it may be in. kStop when
// no longer candidate can be found either.
Lookup LookUp(const ProgramPlaces& places, const char* name, size_t length, IsFileFn isFile,
              char (&path)[kPathSize]) {
  if (length == 0 || length >= kPathSize || Contains(name, length, "/")) return kStop;
  // The work directory: held to the member name rules, as the files extracted there are.
  char candidate[kPathSize];
  std::memcpy(candidate, name, length);
  candidate[length] = '\0';
  if (!IsSafeMemberName(candidate)) return kStop;
  if (LookIn(FolderOf(places.workDir), name, length, isFile, path)) return kFound;
  if (NamesAPath(name, length)) return kNotHere;
  if (LookIn(FolderOf(places.systemDir), name, length, isFile, path) ||
      LookIn(FolderOf(places.windowsDir), name, length, isFile, path) ||
      LookInPathList(places.pathList, name, length, isFile, path)) {
    return kFound;
  }
  return kNotHere;
}

}  // namespace

ProgramLookup FindScriptProgram(const ProgramPlaces& places, const char* command, IsFileFn isFile,
                                char (&path)[kPathSize]) {
  while (IsBlank(*command)) ++command;
  if (*command == '"') {
    const char* name = command + 1;
    const char* close = std::strchr(name, '"');
    const size_t length = close != nullptr ? static_cast<size_t>(close - name) : std::strlen(name);
    if (LookUp(places, name, length, isFile, path) == kFound) return kProgramFound;
    return NamesAPath(name, length) ? kProgramNamedByPath : kProgramNotFound;
  }
  // The first word decides whether the program is named by a path or searched for.
  size_t firstWord = 0;
  while (command[firstWord] != '\0' && !IsBlank(command[firstWord])) ++firstWord;
  const ProgramLookup notFound =
      NamesAPath(command, firstWord) ? kProgramNamedByPath : kProgramNotFound;
  // Each candidate ends where a word ends: before a blank, or at the end of the command.
  for (size_t end = 0; command[end] != '\0';) {
    while (command[end] != '\0' && !IsBlank(command[end])) ++end;
    switch (LookUp(places, command, end, isFile, path)) {
      case kFound:
        return kProgramFound;
      case kStop:
        return notFound;
      case kNotHere:
        break;
    }
    while (IsBlank(command[end])) ++end;
  }
  return notFound;
}
