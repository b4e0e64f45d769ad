// Builds without windows (the host's zbpack and tests): nothing to dispatch.
#include "ui/pump.h"

void PumpMessages() {}
void PumpMessagesPaced() {}
void WaitForMessages(uint32_t) {}
void WaitPumping(uint32_t) {}
