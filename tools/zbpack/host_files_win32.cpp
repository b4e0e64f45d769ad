// The Win32 build's file system: file attributes carry the FILETIME directly.
#include <windows.h>

#include "zbpack/host_files.h"

namespace {

std::string SystemMessage(DWORD errorCode) {
  char text[256];
  const DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                      nullptr, errorCode, 0, text, sizeof text, nullptr);
  std::string message(text, length);
  while (!message.empty() && (message.back() == '\n' || message.back() == '\r' ||
                              message.back() == '.' || message.back() == ' ')) {
    message.pop_back();
  }
  if (message.empty()) message = "system error " + std::to_string(errorCode);
  return message;
}

uint64_t Join64(DWORD high, DWORD low) { return (static_cast<uint64_t>(high) << 32) | low; }

}  // namespace

bool QueryHostFile(const char* path, HostFileInfo* info, std::string* error) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExA(path, GetFileExInfoStandard, &data)) {
    *error = SystemMessage(GetLastError());
    return false;
  }
  info->size = Join64(data.nFileSizeHigh, data.nFileSizeLow);
  info->lastWriteTime = Join64(data.ftLastWriteTime.dwHighDateTime, data.ftLastWriteTime.dwLowDateTime);
  info->isRegularFile =
      (data.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE)) == 0;
  return true;
}

bool MakeHostDirectory(const char* path, std::string* error) {
  if (CreateDirectoryA(path, nullptr)) return true;
  const DWORD reason = GetLastError();
  const DWORD attributes = GetFileAttributesA(path);
  if (reason == ERROR_ALREADY_EXISTS && attributes != INVALID_FILE_ATTRIBUTES &&
      (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    return true;
  }
  *error = SystemMessage(reason);
  return false;
}

const char* NullDevicePath() { return "NUL"; }
