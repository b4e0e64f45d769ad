#include "ui/progress_math.h"

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

uint32_t TakeNewBytes(ProgressMeter& meter, uint32_t extractedBytes) {
  meter.sampledBytes = extractedBytes;
  if (extractedBytes <= meter.reportedBytes) {
    return 0;
  }
  const uint32_t fresh = extractedBytes - meter.reportedBytes;
  meter.reportedBytes = meter.sampledBytes;
  return fresh;
}

void AddPendingBytes(ProgressMeter& meter, uint32_t bytes) {
  const uint32_t room = UINT32_MAX - meter.pendingBytes;
  meter.pendingBytes = bytes < room ? meter.pendingBytes + bytes : UINT32_MAX;
}

bool TakePendingStep(ProgressMeter& meter) {
  if (meter.bytesPerStep == 0 || meter.pendingBytes < meter.bytesPerStep || meter.step <= 0 ||
      meter.stepsTaken > meter.span) {
    return false;
  }
  meter.pendingBytes -= meter.bytesPerStep;
  return true;
}

bool TakeStep(ProgressMeter& meter) {
  if (meter.stepsTaken > meter.span) {
    return false;
  }
  const int64_t sum = int64_t{meter.stepsTaken} + meter.step;
  meter.stepsTaken =
      sum < INT32_MAX ? (sum > INT32_MIN ? static_cast<int32_t>(sum) : INT32_MIN) : INT32_MAX;
  return true;
}

void SetMeterRange(ProgressMeter& meter, ProgressRange range) {
  meter.rangeUpper = range.upper;
  meter.span = int32_t{range.upper} - int32_t{range.lower};
}

void SetMeterStep(ProgressMeter& meter, int32_t step) { meter.step = step; }

void SetMeterTotal(ProgressMeter& meter, uint32_t total) {
  if (meter.span <= 0 || meter.step <= 0 || total < static_cast<uint32_t>(meter.span)) {
    return;
  }
  const uint64_t product =
      uint64_t{total / static_cast<uint32_t>(meter.span)} * static_cast<uint32_t>(meter.step);
  meter.bytesPerStep = product < UINT32_MAX ? static_cast<uint32_t>(product) : UINT32_MAX;
}
