// Process-wide values shared by the driver, the windows and the script runner. Each is set
// once (see the comments) and only read afterwards. Win32 builds only.
#pragma once
#include <windows.h>

#include "common/buffer_sizes.h"

extern HINSTANCE appInstance;  // set by the entry right after the window class is registered
extern HWND mainWindow;        // the hidden main window; owner of every dialog; set on WM_CREATE
extern HWND statusWindow;      // the status dialog, null until MainSequence creates it
extern char exePathBuffer[kPathSize];  // the executable's full path, filled by MainSequence
// /S: no window of the process is shown, no question asked, programs get no console. Set by
// the entry before the main window is made.
extern bool silentRun;
