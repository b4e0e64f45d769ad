#include "script/script_reader.h"

#include <cstring>

namespace {

constexpr size_t kLast = kScriptLineSize - 1;  // index of the NUL of a filled buffer

enum LineEnd { kNoLineEnd, kLineFeedNext, kCrLineFeedNext, kEndOfFileNext };

// Called when fgets filled the buffer without reaching a line feed: the line fits only if its
// line end (LF, or CR LF) or the end of the file comes next. Consumes what it looks at.
LineEnd LineEndAfterFullBuffer(FILE* stream) {
  const int next = std::getc(stream);
  if (next == '\n') return kLineFeedNext;
  if (next == EOF) return std::ferror(stream) ? kNoLineEnd : kEndOfFileNext;
  // A CR is content unless an LF follows it.
  if (next == '\r' && std::getc(stream) == '\n') return kCrLineFeedNext;
  return kNoLineEnd;
}

// Removes the line's last character if it is character; true when it did.
bool DropFinal(char (&line)[kScriptLineSize], char character) {
  const size_t length = std::strlen(line);
  if (length == 0 || line[length - 1] != character) return false;
  line[length - 1] = '\0';
  return true;
}

}  // namespace

ScriptReadResult ReadScriptLine(FILE* stream, char (&line)[kScriptLineSize]) {
  // fgets writes a NUL at line[kLast] only when it fills the buffer; the marker tells a full
  // buffer apart even when the line holds a NUL byte of its own.
  line[kLast] = 'x';
  if (std::fgets(line, kScriptLineSize, stream) == nullptr) {
    return std::ferror(stream) ? kScriptReadError : kScriptEnd;
  }
  if (std::ferror(stream)) return kScriptReadError;

  const bool full = line[kLast] == '\0';
  if (full && line[kLast - 1] != '\n') {
    switch (LineEndAfterFullBuffer(stream)) {
      case kLineFeedNext:
        DropFinal(line, '\r');
        return kScriptLineRead;
      case kCrLineFeedNext:
      case kEndOfFileNext:
        return kScriptLineRead;
      case kNoLineEnd:
        return std::ferror(stream) ? kScriptReadError : kScriptLineTooLong;
    }
  }
  // fgets stopped at a line feed, or at the end of the file when the last line has none: a
  // stream at its end right after a successful fgets had no line feed to stop at.
  if (!std::feof(stream) && DropFinal(line, '\n')) DropFinal(line, '\r');
  return kScriptLineRead;
}
