#include "driver/main_sequence.h"

#include <windows.h>

#include "archive/archive_context.h"
#include "archive/extract_all.h"
#include "archive/work_dir.h"
#include "common/app_globals.h"
#include "driver/error_box.h"
#include "driver/run_steps.h"
#include "common/text_format.h"
#include "resource.h"
#include "script/script_runner.h"
#include "ui/dialogs.h"
#include "ui/splash_window.h"
#include "ui/status_window.h"
#include "ui/pump.h"

namespace {

constexpr uint32_t kSplashMinimumMs = 2000;
constexpr int kCaptionSize = 128;

// Asks whether to install the product named in the closing record; true for Yes. Asked even
// when an earlier step failed: the failure is shown only to a user who said Yes.
bool AskToInstall(const ArchiveContext& context) {
  char caption[kCaptionSize];
  char format[kTextSize];
  char productName[kProductNameSize];
  char message[kTextSize];
  if (LoadStringA(appInstance, IDS_APP_TITLE, caption, kCaptionSize) <= 0) caption[0] = '\0';
  if (LoadStringA(appInstance, IDS_INSTALL_QUESTION, format, kTextSize) <= 0) format[0] = '\0';
  // The trailer copy always ends in a NUL inside its field (ReadSeaTrailer sees to it, and
  // an unread trailer is all zeros).
  lstrcpynA(productName, context.trailer.productName, kProductNameSize);
  FormatWithText(message, sizeof message, format, productName);
  return MessageBoxA(nullptr, message, caption, MB_ICONQUESTION | MB_YESNO) == IDYES;
}

ResultCode RunAfterQuestion(ArchiveContext& context, ResultCode result) {
  HWND splash = CreateModelessDialog(IDD_SPLASH, mainWindow, SplashDialogProc);
  WaitPumping(kSplashMinimumMs);
  if (result == kNoError) result = ExtractAll(context);
  SendClose(splash);
  if (result != kNoError) return ShowErrorBox(result);

  statusWindow = CreateModelessDialog(IDD_STATUS, mainWindow, StatusDialogProc);
  result = RunScript(context);
  if (result != kNoError) return ShowErrorBox(result);
  result = RemoveWorkDir(context);
  if (result != kNoError) return ShowErrorBox(result);

  char message[kTextSize];
  if (LoadStringA(appInstance, IDS_FINISHED, message, kTextSize) <= 0) message[0] = '\0';
  SendSetStatus(statusWindow, message);
  SendEnableOk(statusWindow);
  // Ends when OK destroys the status window; sleeps while no message is waiting.
  while (IsWindow(statusWindow)) {
    PumpMessages();
    if (IsWindow(statusWindow)) WaitForMessages(kWaitForever);
  }
  return kNoError;
}

}  // namespace

ResultCode MainSequence() {
  ArchiveContext context;
  context.pump = PumpMessagesPaced;
  GetModuleFileNameA(nullptr, exePathBuffer, kPathSize);
  ResultCode result = PrepareWorkArea(context, exePathBuffer);
  if (result == kNoError) result = OpenArchiveFile(context);
  if (result == kNoError) result = ReadSeaTrailer(context);
  if (result == kNoError) result = TakeTotalBytes(context);
  if (result == kNoError) result = CheckFreeSpace(context.workDir, context.totalBytes);

  if (AskToInstall(context)) result = RunAfterQuestion(context, result);

  if (IsWindow(statusWindow)) SendClose(statusWindow);
  return result;
}
