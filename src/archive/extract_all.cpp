#include "archive/extract_all.h"

#include <windows.h>

#include "archive/extract_member.h"
#include "common/app_globals.h"
#include "common/run_log.h"
#include "common/text_format.h"
#include "resource.h"
#include "ui/dialogs.h"
#include "ui/progress_window.h"

ResultCode ExtractAll(ArchiveContext& context) {
  ResultCode result = ReadArchiveTag(context);

  // A silent run shows no window: the messages below then go to no window and do nothing.
  HWND progress =
      silentRun ? nullptr : CreateModelessDialog(IDD_PROGRESS, mainWindow, ProgressDialogProc);
  char format[kTextSize];
  char caption[kTextSize];
  if (LoadStringA(appInstance, IDS_EXTRACTING, format, kTextSize) <= 0) format[0] = '\0';
  FormatWithText(caption, sizeof caption, format, context.trailer.productName);
  SendSetText(progress, caption);
  // The window derives its bytes per step from the range and step in force when the total
  // arrives: this order is required.
  SendSetRange(progress, 1, context.trailer.fileCount + 1);
  SendSetStep(progress, 1);
  SendSetTotal(progress, context.totalBytes);

  for (context.currentIndex = 1;
       context.currentIndex <= context.trailer.fileCount && result == kNoError;
       ++context.currentIndex) {
    result = ExtractMember(context);
    if (result == kNoError) {
      LogLine("Extracted %s (%lu bytes, %s)", context.memberName,
              static_cast<unsigned long>(context.header.originalSize),
              context.header.compressed != 0 ? "imploded" : "stored");
    }
  }

  SendClose(progress);
  return result;
}
