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

void WaitPumping(uint32_t ms) {
  const DWORD start = GetTickCount();
  while (GetTickCount() - start < ms) {
    PumpMessages();
  }
}
