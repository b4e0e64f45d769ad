// The arithmetic of the progress window: turning bytes written into steps of a bar. Portable;
// the window (progress_window.cpp) sends the messages that these functions decide on.
//
// Byte counts are unsigned 32-bit (a total may be anything up to 0xFFFFFFFF); sums of them
// saturate instead of wrapping. The bar's numbers (span, step, steps taken) are signed 32-bit
// and compared signed.
#pragma once
#include <cstdint>

struct ProgressMeter {
  uint32_t sampledBytes;   // extractedBytes as read at the latest timer tick
  uint32_t reportedBytes;  // how much of extractedBytes has been handed on as new bytes
  uint16_t rangeUpper;     // upper end of the bar's range: the close fills the bar to it
  int32_t span;            // upper end minus lower end; negative when upper < lower
  int32_t step;            // the bar's step increment
  uint32_t bytesPerStep;   // bytes that make one step
  int32_t stepsTaken;      // sum of the increments that reached the bar
  uint32_t pendingBytes;   // handed-on bytes not yet turned into steps
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
uint32_t TakeNewBytes(ProgressMeter& meter, uint32_t extractedBytes);

// kMsgAddBytes: adds to the pending bytes (saturating); then call TakePendingStep until it
// says no.
void AddPendingBytes(ProgressMeter& meter, uint32_t bytes);

// True, and one step's worth of bytes taken off the pending ones, while the pending bytes
// make a whole step and the bar can still take one: the caller then sends one kMsgStepIt.
// Once TakeStep would refuse every further step the bytes stay pending, so one tick sends at
// most span / step + 2 messages whatever the byte counts are. Always false while bytesPerStep
// or step is 0 or less (no step could ever fill the bar), so the caller's loop ends whatever
// the meter holds.
bool TakePendingStep(ProgressMeter& meter);

// kMsgStepIt: true, and step added to stepsTaken, when the bar may take one PBM_STEPIT. A
// step is let through while stepsTaken equals span (only above span is it refused), so from 0
// with step 1 the bar takes span + 1 steps. stepsTaken saturates instead of wrapping.
bool TakeStep(ProgressMeter& meter);

// kMsgSetRange: remembers the upper end and the span; stepsTaken and pendingBytes stay.
void SetMeterRange(ProgressMeter& meter, ProgressRange range);

// kMsgSetStep.
void SetMeterStep(ProgressMeter& meter, int32_t step);

// kMsgSetTotal, sent after the range and the step: bytesPerStep = (total / span) * step, the
// division first, truncated toward zero; a product above 0xFFFFFFFF is cut to 0xFFFFFFFF. A
// total below the span changes nothing, and so, to rule out a division by zero, does a span
// or step of 0 or less.
void SetMeterTotal(ProgressMeter& meter, uint32_t total);
