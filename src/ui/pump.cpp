#include "ui/pump.h"

#include <windows.h>

void PumpMessages() {
  MSG message;
  if (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
}

void PumpMessagesPaced() {
  static DWORD lastLook = 0;
  const DWORD now = GetTickCount();
  if (now - lastLook < kPacedPumpIntervalMs) return;
  lastLook = now;
  PumpMessages();
}

void WaitForMessages(uint32_t ms) {
  // MWMO_INPUTAVAILABLE: without it only input that arrived after the last look would wake
  // the thread, and a message left in the queue would wait for the timeout.
  MsgWaitForMultipleObjectsEx(0, nullptr, ms, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
}

void WaitPumping(uint32_t ms) {
  const DWORD start = GetTickCount();
  while (GetTickCount() - start < ms) {
    PumpMessages();
    const DWORD elapsed = GetTickCount() - start;
    if (elapsed < ms) WaitForMessages(ms - elapsed);
  }
}
