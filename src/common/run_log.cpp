#include "common/run_log.h"

#include <windows.h>

#include <cstdarg>

namespace {

HANDLE logFile = nullptr;  // null until opened (zero-initialised: no data section)

// wvsprintfA writes at most 1024 bytes, NUL included.
constexpr int kFormatSize = 1024;
constexpr int kStampLength = 20;  // "YYYY-MM-DD hh:mm:ss "

}  // namespace

bool OpenRunLog(const char* absolutePath) {
  // FILE_APPEND_DATA without FILE_WRITE_DATA: every write goes to the end, even when another
  // run appends to the same log.
  const HANDLE file =
      CreateFileA(absolutePath, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                  OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  logFile = file;
  return true;
}

void LogLine(const char* format, ...) {
  if (logFile == nullptr) return;
  char line[kStampLength + kFormatSize + 2];
  SYSTEMTIME now;
  GetLocalTime(&now);
  wsprintfA(line, "%04u-%02u-%02u %02u:%02u:%02u ", now.wYear, now.wMonth, now.wDay, now.wHour,
            now.wMinute, now.wSecond);
  va_list arguments;
  va_start(arguments, format);
  const int length = wvsprintfA(line + kStampLength, format, arguments);
  va_end(arguments);
  if (length < 0) return;
  int end = kStampLength + length;
  line[end++] = '\r';
  line[end++] = '\n';
  DWORD written = 0;
  WriteFile(logFile, line, DWORD(end), &written, nullptr);
}
