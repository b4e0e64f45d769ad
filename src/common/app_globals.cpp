#include "common/app_globals.h"

HINSTANCE appInstance = nullptr;
HWND mainWindow = nullptr;
HWND statusWindow = nullptr;
char exePathBuffer[kPathSize] = {};
bool silentRun = false;
