// The progress bar's arithmetic: how bytes written become steps, and where it must not fault.
#include "ui/progress_math.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>

namespace {

// A meter configured the way the extraction does it: range (1, members + 1), step 1, total.
ProgressMeter ConfiguredMeter(uint32_t members, uint32_t totalBytes) {
  ProgressMeter meter = kFreshProgressMeter;
  SetMeterRange(meter, UnpackRange(PackRange(1, members + 1)));
  SetMeterStep(meter, 1);
  SetMeterTotal(meter, totalBytes);
  return meter;
}

// Feeds one kMsgAddBytes and counts the kMsgStepIt it produces.
int StepsFor(ProgressMeter& meter, uint32_t bytes) {
  AddPendingBytes(meter, bytes);
  int steps = 0;
  while (TakePendingStep(meter)) {
    ++steps;
  }
  return steps;
}

TEST(ProgressRange, PacksUpperHighAndLowerLowKeepingSixteenBitsEach) {
  EXPECT_EQ(PackRange(1, 9), 0x00090001u);
  EXPECT_EQ(PackRange(0x12345, 0x1FFFF), 0xFFFF2345u);
  const ProgressRange range = UnpackRange(0xFFFE0003u);
  EXPECT_EQ(range.lower, 3);
  EXPECT_EQ(range.upper, 0xFFFE);
}

TEST(BytesPerStep, DividesTheTotalByTheSpanBeforeMultiplyingByTheStep) {
  ProgressMeter meter = kFreshProgressMeter;
  SetMeterRange(meter, {0, 3});
  SetMeterStep(meter, 2);
  SetMeterTotal(meter, 10);
  EXPECT_EQ(meter.bytesPerStep, 6);  // 10 / 3 = 3, times 2; not 20 / 3

  EXPECT_EQ(ConfiguredMeter(8, 1000000).bytesPerStep, 125000);
  EXPECT_EQ(ConfiguredMeter(3, 1000).bytesPerStep, 333);
}

TEST(BytesPerStep, UnusableSpanOrStepKeepsTheValueInsteadOfDividingByZero) {
  const struct {
    ProgressRange range;
    int32_t step;
    uint32_t bytesPerStep;  // after a total of 1000 bytes, from 7
  } cases[] = {
      {{1, 1}, 1, 7},  // an archive without members
      {{9, 2}, 1, 7},  // an upper end that wrapped below the lower
      {{0, 10}, 0, 7},
      {{0, 10}, -2, 7},
      {{0, 10}, INT32_MAX, UINT32_MAX},  // (1000 / 10) * step does not fit: cut to the maximum
  };
  for (const auto& c : cases) {
    ProgressMeter meter = kFreshProgressMeter;
    meter.bytesPerStep = 7;
    SetMeterRange(meter, c.range);
    SetMeterStep(meter, c.step);
    SetMeterTotal(meter, 1000);
    EXPECT_EQ(meter.bytesPerStep, c.bytesPerStep) << c.range.lower << ".." << c.range.upper;
  }
}

// Totals around and above 2^31, and a damaged total below the member count: written bytes
// move the bar by bytes, and no tick sends more messages than the bar can take steps.
TEST(BytesPerStep, AnyTotalMovesTheBarByBytesWithBoundedMessagesPerTick) {
  struct Case {
    uint32_t members;
    uint32_t total;
    uint32_t written;  // bytes the members really have
    uint32_t bytesPerStep;
    int stepsAtHalf;  // bar steps once half of written has been sampled
    int stepsAtEnd;
  };
  const Case cases[] = {
      {4, 0x7FFFFFFFu, 0x7FFFFFFFu, 0x1FFFFFFFu, 2, 4},
      {4, 0x80000000u, 0x80000000u, 0x20000000u, 2, 4},
      {4, 0xFFFFFFFFu, 0xFFFFFFFFu, 0x3FFFFFFFu, 2, 4},
      {1, 0xFFFFFFFFu, 0xFFFFFFFFu, 0xFFFFFFFFu, 0, 1},
      {5, 3, 0xFFFFFFFFu, 1, 6, 6},  // one byte per step until the bar is full
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.total);
    ProgressMeter meter = ConfiguredMeter(c.members, c.total);
    EXPECT_EQ(meter.bytesPerStep, c.bytesPerStep);
    StartSampling(meter);
    int barSteps = 0;
    int mostMessages = 0;
    const uint32_t perTick = c.written / 64 + 1;
    for (uint64_t sampled = perTick; sampled < uint64_t{c.written} + perTick; sampled += perTick) {
      const uint32_t extracted = sampled < c.written ? uint32_t(sampled) : c.written;
      AddPendingBytes(meter, TakeNewBytes(meter, extracted));
      int messages = 0;
      for (; TakePendingStep(meter); ++messages) barSteps += TakeStep(meter) ? 1 : 0;
      mostMessages = std::max(mostMessages, messages);
      if (extracted - perTick < c.written / 2 && extracted >= c.written / 2) {
        EXPECT_EQ(barSteps, c.stepsAtHalf);
      }
    }
    EXPECT_EQ(barSteps, c.stepsAtEnd);
    EXPECT_LE(mostMessages, int(c.members) + 1);
  }
}

TEST(TimerTick, HandsOnOnlyTheBytesWrittenSinceTheLastReport) {
  ProgressMeter meter = kFreshProgressMeter;
  StartSampling(meter);
  EXPECT_EQ(TakeNewBytes(meter, 0), 0);
  EXPECT_EQ(TakeNewBytes(meter, 500), 500);
  EXPECT_EQ(TakeNewBytes(meter, 500), 0);  // nothing new: nothing sent
  EXPECT_EQ(TakeNewBytes(meter, 1250), 750);
  EXPECT_EQ(meter.sampledBytes, 1250);
  EXPECT_EQ(meter.reportedBytes, 1250);

  // A counter that went backwards (the window was opened again) reports nothing.
  EXPECT_EQ(TakeNewBytes(meter, 5), 0);
  EXPECT_EQ(meter.sampledBytes, 5);
  EXPECT_EQ(meter.reportedBytes, 1250);
}

TEST(AddBytes, NeverLoopsWhileBytesPerStepOrStepIsNotPositive) {
  ProgressMeter meter = kFreshProgressMeter;
  meter.bytesPerStep = 0;
  EXPECT_EQ(StepsFor(meter, 1000), 0);
  meter.bytesPerStep = 1;
  meter.step = -3;
  EXPECT_EQ(StepsFor(meter, 1000), 0);
}

// The bar takes span / step + 1 steps and refuses the rest; stepsTaken counts in units.
TEST(StepIt, StopsAfterSpanDividedByStepPlusOne) {
  struct Case {
    ProgressRange range;
    int32_t step;
    int passed, stepsTaken;
  };
  const Case cases[] = {
      {{1, 6}, 1, 6, 6},    // span 5: steps at 0 to 5
      {{0, 10}, 3, 4, 12},  // taken at 0, 3, 6, 9
      {{3, 1}, 1, 0, 0},    // a negative span refuses every step
  };
  for (const Case& c : cases) {
    ProgressMeter meter = kFreshProgressMeter;
    SetMeterRange(meter, c.range);
    SetMeterStep(meter, c.step);
    int passed = 0;
    for (int i = 0; i < 20; ++i) passed += TakeStep(meter) ? 1 : 0;
    EXPECT_EQ(passed, c.passed) << c.range.lower << ".." << c.range.upper << " by " << c.step;
    EXPECT_EQ(meter.stepsTaken, c.stepsTaken);
  }
}

}  // namespace
