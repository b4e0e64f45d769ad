#include "ui/progress_math.h"

namespace {

int32_t WrapAdd(int32_t a, int32_t b) {
  return static_cast<int32_t>(static_cast<uint32_t>(a) + static_cast<uint32_t>(b));
}

}  // namespace

uint32_t PackRange(uint32_t lower, uint32_t upper) {
  return ((upper & 0xFFFFu) << 16) | (lower & 0xFFFFu);
}

ProgressRange UnpackRange(uint32_t packed) {
  return {static_cast<uint16_t>(packed & 0xFFFFu), static_cast<uint16_t>(packed >> 16)};
}

void StartSampling(ProgressMeter& meter) {
  meter.sampledBytes = 0;
  meter.reportedBytes = 0;
}

int32_t TakeNewBytes(ProgressMeter& meter, int32_t extractedBytes) {
  meter.sampledBytes = extractedBytes;
  if (extractedBytes <= meter.reportedBytes) {
    return 0;
  }
  // reportedBytes only ever grows from 0, so the difference of two values in order fits.
  const int32_t fresh = extractedBytes - meter.reportedBytes;
  meter.reportedBytes = meter.sampledBytes;
  return fresh;
}

void AddPendingBytes(ProgressMeter& meter, int32_t bytes) {
  meter.pendingBytes = WrapAdd(meter.pendingBytes, bytes);
}

bool TakePendingStep(ProgressMeter& meter) {
  if (meter.bytesPerStep <= 0 || meter.pendingBytes < meter.bytesPerStep) {
    return false;
  }
  meter.pendingBytes -= meter.bytesPerStep;
  return true;
}

bool TakeStep(ProgressMeter& meter) {
  if (meter.stepsTaken > meter.span) {
    return false;
  }
  meter.stepsTaken = WrapAdd(meter.stepsTaken, meter.step);
  return true;
}

void SetMeterRange(ProgressMeter& meter, ProgressRange range) {
  meter.rangeUpper = range.upper;
  meter.span = int32_t{range.upper} - int32_t{range.lower};
}

void SetMeterStep(ProgressMeter& meter, int32_t step) {
  meter.step = step;
}

void SetMeterTotal(ProgressMeter& meter, int32_t total) {
  if (total < meter.span || meter.span <= 0 || meter.step <= 0) {
    return;
  }
  const int64_t product = int64_t{total / meter.span} * meter.step;
  if (product <= 0 || product > INT32_MAX) {
    return;
  }
  meter.bytesPerStep = static_cast<int32_t>(product);
}
