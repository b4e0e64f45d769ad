#include "driver/error_box.h"

#include <windows.h>

#include <cstring>

#include "common/app_globals.h"
#include "common/text_format.h"
#include "resource.h"

namespace {
constexpr char kErrorCaption[] = ZB_ERROR_CAPTION;
constexpr size_t kErrorBoxBufferSize = 512;
char resultTextBuffer[kTextSize];
}  // namespace

const char* ResultText(ResultCode code) {
  // A failed load leaves an empty message rather than an unset buffer.
  if (LoadStringA(appInstance, ResultStringId(code), resultTextBuffer, kTextSize) <= 0) {
    resultTextBuffer[0] = '\0';
  }
  return resultTextBuffer;
}

ResultCode ShowErrorBox(ResultCode code) {
  char caption[kErrorBoxBufferSize];
  char text[kErrorBoxBufferSize];
  std::memcpy(caption, kErrorCaption, sizeof kErrorCaption);
  FormatErrorText(text, sizeof text, ResultText(code), code);
  MessageBoxA(nullptr, text, caption, MB_ICONWARNING);
  return code;
}
