// The arithmetic of the progress window: turning bytes written into steps of a bar. Portable;
// the window (progress_window.cpp) sends the messages that these functions decide on.
//
// Every number is a signed 32-bit integer except the range ends, and every comparison is
// signed. Sums that could pass 2^31 wrap around as 32-bit two's complement instead of being
// undefined.
#pragma once
#include <cstdint>

struct ProgressMeter {
  int32_t sampledBytes;   // extractedBytes as read at the latest timer tick
  int32_t reportedBytes;  // how much of extractedBytes has been handed on as new bytes
  uint16_t rangeUpper;    // upper end of the bar's range: the close fills the bar to it
  int32_t span;           // upper end minus lower end; negative when upper < lower
  int32_t step;           // the bar's step increment
  int32_t bytesPerStep;   // bytes that make one step
  int32_t stepsTaken;     // sum of the increments that reached the bar
  int32_t pendingBytes;   // handed-on bytes not yet turned into steps
};

// The meter at process start. Opening the window resets only the two byte counters, so
// the rest carries over from whatever was set before.
constexpr ProgressMeter kFreshProgressMeter = {0, 0, 0, 100, 10, 1, 0, 0};

struct ProgressRange {
  uint16_t lower;
  uint16_t upper;
};

// The lParam of kMsgSetRange and PBM_SETRANGE: upper in the high 16 bits, lower in the low
// 16; values above 65535 lose their high bits.
uint32_t PackRange(uint32_t lower, uint32_t upper);
ProgressRange UnpackRange(uint32_t packed);

// Opening the window: nothing sampled, nothing reported.
void StartSampling(ProgressMeter& meter);

// One timer tick with the current extractedBytes. Returns the bytes written since the last
// report (to be sent as kMsgAddBytes), or 0 when there are none.
int32_t TakeNewBytes(ProgressMeter& meter, int32_t extractedBytes);

// kMsgAddBytes: adds to the pending bytes; then call TakePendingStep until it says no.
void AddPendingBytes(ProgressMeter& meter, int32_t bytes);

// True, and one step's worth of bytes taken off the pending ones, while the pending bytes
// make a whole step: the caller then sends one kMsgStepIt. Always false while bytesPerStep is
// 0 or less, so the caller's loop ends whatever the meter holds.
bool TakePendingStep(ProgressMeter& meter);

// kMsgStepIt: true, and step added to stepsTaken, when the bar may take one PBM_STEPIT. A
// step is let through while stepsTaken equals span (only above span is it refused), so from 0
// with step 1 the bar takes span + 1 steps.
bool TakeStep(ProgressMeter& meter);

// kMsgSetRange: remembers the upper end and the span; stepsTaken and pendingBytes stay.
void SetMeterRange(ProgressMeter& meter, ProgressRange range);

// kMsgSetStep.
void SetMeterStep(ProgressMeter& meter, int32_t step);

// kMsgSetTotal, sent after the range and the step: bytesPerStep = (total / span) * step, the
// division first, truncated toward zero. A total below the span changes nothing. So that no
// division by zero and no endless loop can happen, a span or step of 0 or less, or a product
// outside 1 .. INT32_MAX, also leaves bytesPerStep as it was.
void SetMeterTotal(ProgressMeter& meter, int32_t total);
