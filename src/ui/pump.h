// Message dispatching for the one thread: every window of the program stays alive only while
// one of these runs (or a callback of the extraction, or a message box's own loop).
#pragma once
#include <cstdint>

// Removes and dispatches at most one pending message of the thread; returns at once when the
// queue is empty. Does not treat WM_QUIT apart. A no-op in builds without windows.
void PumpMessages();

// PumpMessages for callers that run tens of thousands of times a second (the extraction's
// read and write callbacks): looks at the queue only when at least kPacedPumpIntervalMs have
// passed since its last look, and then dispatches at most one message. Every look costs a
// system round trip (under Wine a call to the server), which would otherwise cost more than
// decoding the data; windows still get their messages within the interval, far inside the
// progress window's 100 ms timer.
constexpr uint32_t kPacedPumpIntervalMs = 10;
void PumpMessagesPaced();

// Sleeps until a message is waiting for the thread (one still queued from before counts) or
// ms milliseconds have passed; kWaitForever waits for a message alone. Dispatches nothing.
constexpr uint32_t kWaitForever = 0xFFFFFFFF;
void WaitForMessages(uint32_t ms);

// Dispatches messages until ms milliseconds have passed, measured as elapsed ticks so that a
// wrap of the tick count neither ends the wait early nor makes it endless. Dispatches one
// message per pass, as PumpMessages, and sleeps between passes while nothing is waiting.
void WaitPumping(uint32_t ms);
