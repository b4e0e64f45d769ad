#include "driver/main_sequence.h"

#include <windows.h>

#include "archive/archive_reader.h"
#include "archive/extract_all.h"
#include "archive/install_lock.h"
#include "archive/work_dir.h"
#include "common/app_globals.h"
#include "common/run_log.h"
#include "common/text_format.h"
#include "driver/archive_windows.h"
#include "driver/error_box.h"
#include "resource.h"
#include "script/script_runner.h"
#include "ui/dialogs.h"
#include "ui/pump.h"
#include "ui/splash_window.h"
#include "ui/status_window.h"

namespace {

constexpr uint32_t kSplashMinimumMs = 2000;
constexpr int kCaptionSize = 128;

// What the steps of one run share; MainSequence owns the one record.
struct Run {
  ArchiveReader reader;
  MemberTransfer transfer;
  WorkDirectory workDir;
  HWND progress = nullptr;  // the progress window while the members are extracted
  ArchiveEvents events;     // set up with progress
};

void LoadText(UINT id, char* buffer, int size) {
  if (LoadStringA(appInstance, id, buffer, size) <= 0) buffer[0] = '\0';
}

// Asks whether to install the product named in the closing record; true for Yes. Asked even
// when an earlier step failed: the failure is shown only to a user who said Yes.
bool AskToInstall(const ArchiveReader& reader) {
  char caption[kCaptionSize];
  char format[kTextSize];
  char productName[kProductNameSize];
  char message[kTextSize];
  LoadText(IDS_APP_TITLE, caption, kCaptionSize);
  LoadText(IDS_INSTALL_QUESTION, format, kTextSize);
  // The trailer copy always ends in a NUL inside its field (ReadSeaTrailer sees to it, and
  // an unread trailer is all zeros).
  lstrcpynA(productName, reader.trailer.productName, kProductNameSize);
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

ResultCode RunAfterQuestion(Run& run, ResultCode result) {
  HWND splash = nullptr;
  if (!silentRun) {
    splash = CreateModelessDialog(IDD_SPLASH, mainWindow, SplashDialogProc);
    WaitPumping(kSplashMinimumMs);
  }
  if (result == kNoError) result = ExtractAll(run.reader, run.transfer, run.workDir, run.events);
  SendClose(splash);
  if (result != kNoError) return Fail(result);

  if (!silentRun) statusWindow = CreateModelessDialog(IDD_STATUS, mainWindow, StatusDialogProc);
  result = RunScript(run.workDir, run.reader.trailer.scriptIndex);
  if (result != kNoError) return Fail(result);
  result = RemoveWorkDir(run.workDir, run.events);
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
  Run run;
  run.events = ArchiveWindowEvents(silentRun, &run.progress);
  run.transfer.pump = PumpMessagesPaced;
  GetModuleFileNameA(nullptr, exePathBuffer, kPathSize);
  run.reader.exePath = exePathBuffer;
  const bool located = LocateWorkDir(run.workDir) == kNoError;
  OpenRequestedLog(arguments.logPath, located ? run.workDir.path : nullptr);
  LogLine("Installer: %s%s", exePathBuffer, silentRun ? " (silent)" : "");

  // Nothing of the work directory is touched before the lock is held.
  const InstallLock lock = located ? TakeInstallLock(run.workDir.path) : InstallLock::kFailed;
  if (lock == InstallLock::kBusy) return AnotherInstallationRuns();
  ResultCode result = located && lock == InstallLock::kFailed
                          ? kSystemError
                          : PrepareWorkArea(run.transfer, run.workDir);
  if (result == kNoError) result = OpenArchiveFile(run.reader);
  if (result == kNoError) result = ReadSeaTrailer(run.reader);
  if (result == kNoError) LogLine("Product: %s", run.reader.trailer.productName);
  if (result == kNoError) result = TakeTotalBytes(run.reader);
  if (result == kNoError) result = CheckFreeSpace(run.workDir.path, run.reader.totalBytes);

  if (!silentRun && !AskToInstall(run.reader)) {
    LogLine("Outcome: %lu, the user answered No", kExitUserCancelled);
    return kExitUserCancelled;
  }
  result = RunAfterQuestion(run, result);
  if (IsWindow(statusWindow)) SendClose(statusWindow);
  LogOutcome(result);
  return result;
}
