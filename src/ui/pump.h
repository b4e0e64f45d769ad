// Message dispatching for the one thread: every window of the program stays alive only while
// one of these runs (or a callback of the extraction, or a message box's own loop).
#pragma once
#include <cstdint>

// Removes and dispatches at most one pending message of the thread; returns at once when the
// queue is empty. Does not treat WM_QUIT apart. A no-op in builds without windows.
void PumpMessages();

// Dispatches messages until ms milliseconds have passed, measured as elapsed ticks so that a
// wrap of the tick count neither ends the wait early nor makes it endless. Spins; never sleeps.
void WaitPumping(uint32_t ms);
