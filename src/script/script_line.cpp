#include "script/script_line.h"

#include <cstring>

namespace {

// Copies at most size - 1 characters of source and always terminates.
void CopyBounded(char* target, size_t size, const char* source, size_t length) {
  if (length > size - 1) length = size - 1;
  std::memcpy(target, source, length);
  target[length] = '\0';
}

}  // namespace

ScriptLineKind ParseScriptLine(const char* line, char (&text)[kScriptTextSize]) {
  switch (line[0]) {
    case '\0':
      return kLineSkip;
    case ';':
      text[0] = '\0';
      return kLineComment;
    case '>':
      CopyBounded(text, sizeof text, line + 1, std::strlen(line + 1));
      return kLineStatus;
    case '#': {
      const char* blank = std::strchr(line, ' ');
      if (blank == nullptr || blank[1] == '\0') return kLineSkip;
      CopyBounded(text, sizeof text, blank + 1, std::strlen(blank + 1));
      return kLineRunWaitWindow;
    }
    default:
      CopyBounded(text, sizeof text, line, std::strlen(line));
      return kLineRun;
  }
}

void ScriptLineWindowClass(const char* line, char (&className)[kWindowClassSize]) {
  const char* start = line + 1;
  const char* blank = std::strchr(start, ' ');
  const size_t length = blank != nullptr ? static_cast<size_t>(blank - start) : std::strlen(start);
  CopyBounded(className, sizeof className, start, length);
}
