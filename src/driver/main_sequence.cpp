#include "driver/main_sequence.h"

#include <windows.h>

#include "archive/archive_context.h"
#include "archive/extract_all.h"
#include "archive/install_lock.h"
#include "archive/work_dir.h"
#include "common/app_globals.h"
#include "common/run_log.h"
#include "common/text_format.h"
#include "driver/error_box.h"
#include "driver/run_steps.h"
#include "resource.h"
#include "script/script_runner.h"
#include "ui/dialogs.h"
#include "ui/pump.h"
#include "ui/splash_window.h"
#include "ui/status_window.h"

namespace {

constexpr uint32_t kSplashMinimumMs = 2000;
constexpr int kCaptionSize = 128;

void LoadText(UINT id, char* buffer, int size) {
  if (LoadStringA(appInstance, id, buffer, size) <= 0) buffer[0] = '\0';
}

// Asks whether to install the product named in the closing record; true for Yes. Asked even
// when an earlier step failed: the failure is shown only to a user who said Yes.
bool AskToInstall(const ArchiveContext& context) {
  char caption[kCaptionSize];
  char format[kTextSize];
  char productName[kProductNameSize];
  char message[kTextSize];
  LoadText(IDS_APP_TITLE, caption, kCaptionSize);
  LoadText(IDS_INSTALL_QUESTION, format, kTextSize);
  // The trailer copy always ends in a NUL inside its field (ReadSeaTrailer sees to it, and
  // an unread trailer is all zeros).
  lstrcpynA(productName, context.trailer.productName, kProductNameSize);
  FormatWithText(message, sizeof message, format, productName);
  return MessageBoxA(nullptr, message, caption, MB_ICONQUESTION | MB_YESNO) == IDYES;
}

// Another installation holds the lock: nothing was touched. A person reads why, in place of
// the question; a silent run just ends.
uint32_t AnotherInstallationRuns() {
  LogLine("Outcome: %lu, another installation is in progress", kExitAlreadyRunning);
  if (!silentRun) {
    char caption[kCaptionSize];
    char message[kTextSize];
    LoadText(IDS_APP_TITLE, caption, kCaptionSize);
    LoadText(IDS_ALREADY_RUNNING, message, kTextSize);
    MessageBoxA(nullptr, message, caption, MB_ICONWARNING);
  }
  return kExitAlreadyRunning;
}

ResultCode Fail(ResultCode result) { return silentRun ? result : ShowErrorBox(result); }

ResultCode RunAfterQuestion(ArchiveContext& context, ResultCode result) {
  HWND splash = nullptr;
  if (!silentRun) {
    splash = CreateModelessDialog(IDD_SPLASH, mainWindow, SplashDialogProc);
    WaitPumping(kSplashMinimumMs);
  }
  if (result == kNoError) result = ExtractAll(context);
  SendClose(splash);
  if (result != kNoError) return Fail(result);

  if (!silentRun) statusWindow = CreateModelessDialog(IDD_STATUS, mainWindow, StatusDialogProc);
  result = RunScript(context);
  if (result != kNoError) return Fail(result);
  result = RemoveWorkDir(context);
  if (result != kNoError) return Fail(result);
  if (silentRun) return kNoError;

  char message[kTextSize];
  LoadText(IDS_FINISHED, message, kTextSize);
  SendSetStatus(statusWindow, message);
  SendEnableOk(statusWindow);
  // Ends when OK destroys the status window; sleeps while no message is waiting.
  while (IsWindow(statusWindow)) {
    PumpMessages();
    if (IsWindow(statusWindow)) WaitForMessages(kWaitForever);
  }
  return kNoError;
}

// Opens the log that /LOG= asks for, made absolute now (the script changes the current
// directory). A log inside the work directory (workDir, when known) would be renamed aside or
// deleted with it: it is not opened.
void OpenRequestedLog(const char* logPath, const char* workDir) {
  if (logPath[0] == '\0') return;
  char fullPath[kPathSize];
  const DWORD length = GetFullPathNameA(logPath, kPathSize, fullPath, nullptr);
  if (length == 0 || length >= kPathSize) return;
  if (workDir != nullptr) {
    // Inside when the path up to the directory's length names the directory itself (compared
    // without case, as Windows compares names) and a separator or the end follows.
    const int dirLength = lstrlenA(workDir) - 1;
    char head[kPathSize];
    char dir[kPathSize];
    lstrcpynA(head, fullPath, dirLength + 1);
    lstrcpynA(dir, workDir, dirLength + 1);
    const char after = lstrlenA(fullPath) >= dirLength ? fullPath[dirLength] : 'x';
    if ((after == '\0' || after == '\\') && lstrcmpiA(head, dir) == 0) return;
  }
  OpenRunLog(fullPath);
}

void LogOutcome(uint32_t code) {
  LogLine("Outcome: %lu (0x%lx) %s", static_cast<unsigned long>(code),
          static_cast<unsigned long>(code), ResultText(code));
}

}  // namespace

uint32_t MainSequence(const InstallerArguments& arguments) {
  ArchiveContext context;
  context.pump = PumpMessagesPaced;
  GetModuleFileNameA(nullptr, exePathBuffer, kPathSize);
  const bool located = LocateWorkDir(context) == kNoError;
  OpenRequestedLog(arguments.logPath, located ? context.workDir : nullptr);
  LogLine("Installer: %s%s", exePathBuffer, silentRun ? " (silent)" : "");

  // Nothing of the work directory is touched before the lock is held.
  const InstallLock lock = located ? TakeInstallLock(context.workDir) : InstallLock::kFailed;
  if (lock == InstallLock::kBusy) return AnotherInstallationRuns();
  ResultCode result = located && lock == InstallLock::kFailed ? kSystemError
                                                              : PrepareWorkArea(context, exePathBuffer);
  if (result == kNoError) result = OpenArchiveFile(context);
  if (result == kNoError) result = ReadSeaTrailer(context);
  if (result == kNoError) LogLine("Product: %s", context.trailer.productName);
  if (result == kNoError) result = TakeTotalBytes(context);
  if (result == kNoError) result = CheckFreeSpace(context.workDir, context.totalBytes);

  if (!silentRun && !AskToInstall(context)) {
    LogLine("Outcome: %lu, the user answered No", kExitUserCancelled);
    return kExitUserCancelled;
  }
  result = RunAfterQuestion(context, result);
  if (IsWindow(statusWindow)) SendClose(statusWindow);
  LogOutcome(result);
  return result;
}
