#include "archive/member_folder.h"

#include <windows.h>

namespace {

bool IsRealFolder(DWORD attributes) {
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 &&
         (attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0;
}

}  // namespace

bool MakeMemberFolder(const char* path) {
  // The attributes are those of the entry itself: a link reports FILE_ATTRIBUTE_REPARSE_POINT
  // and is refused before anything is made through it.
  const DWORD attributes = GetFileAttributesA(path);
  if (attributes != INVALID_FILE_ATTRIBUTES) return IsRealFolder(attributes);
  if (CreateDirectoryA(path, nullptr)) return true;
  // Made by someone else meanwhile: accepted only as a real folder.
  return GetLastError() == ERROR_ALREADY_EXISTS && IsRealFolder(GetFileAttributesA(path));
}
