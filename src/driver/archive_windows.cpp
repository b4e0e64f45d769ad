#include "driver/archive_windows.h"

#include "common/app_globals.h"
#include "common/text_format.h"
#include "resource.h"
#include "ui/dialogs.h"
#include "ui/progress_window.h"
#include "ui/pump.h"

namespace {

// Opens the progress window into *context (an HWND) and configures it.
void OpenProgress(void* context, const char* productName, uint32_t fileCount, uint32_t totalBytes) {
  HWND& progress = *static_cast<HWND*>(context);
  progress = CreateModelessDialog(IDD_PROGRESS, mainWindow, ProgressDialogProc);
  char format[kTextSize];
  char caption[kTextSize];
  if (LoadStringA(appInstance, IDS_EXTRACTING, format, kTextSize) <= 0) format[0] = '\0';
  FormatWithText(caption, sizeof caption, format, productName);
  SendSetText(progress, caption);
  // The window derives its bytes per step from the range and step in force when the total
  // arrives: this order is required.
  SendSetRange(progress, 1, fileCount + 1);
  SendSetStep(progress, 1);
  SendSetTotal(progress, totalBytes);
}

// Closes the window OpenProgress opened (it fills the bar and lingers for a second).
void CloseProgress(void* context) {
  HWND& progress = *static_cast<HWND*>(context);
  SendClose(progress);
  progress = nullptr;
}

void WaitWithWindows(void*, uint32_t ms) { WaitPumping(ms); }

}  // namespace

ArchiveEvents ArchiveWindowEvents(bool silent, HWND* progress) {
  ArchiveEvents events;
  events.context = progress;
  if (!silent) {
    events.extractionStarts = OpenProgress;
    events.extractionEnds = CloseProgress;
  }
  events.wait = WaitWithWindows;
  return events;
}
