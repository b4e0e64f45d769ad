// The set of entries a run made: what was recorded is found, across growth and colliding
// identities, and nothing else is, the all-zero identity included.
#include "archive/made_entries.h"

#include <gtest/gtest.h>

namespace {

TEST(MadeEntries, HoldsExactlyWhatWasRecorded) {
  MadeEntries made;
  EXPECT_FALSE(WasMadeHere(made, {0, 0}));
  EXPECT_FALSE(WasMadeHere(made, {1, 1}));
  // Identities that differ only in the high half of their index or only in the volume.
  for (uint64_t i = 1; i <= 3000; ++i) {
    ASSERT_TRUE(RecordMadeEntry(made, {i % 3, (i / 3 + 1) << 32}));
    ASSERT_TRUE(RecordMadeEntry(made, {i % 3, (i / 3 + 1) << 32}));  // again: no second slot
  }
  EXPECT_EQ(made.count, 3000u);
  EXPECT_LE(made.count * 2, made.capacity);
  for (uint64_t i = 1; i <= 3000; ++i) {
    EXPECT_TRUE(WasMadeHere(made, {i % 3, (i / 3 + 1) << 32})) << i;
    EXPECT_FALSE(WasMadeHere(made, {i % 3 + 3, (i / 3 + 1) << 32})) << i;
    EXPECT_FALSE(WasMadeHere(made, {i % 3, i / 3 + 1})) << i;
  }
  EXPECT_FALSE(WasMadeHere(made, {0, 0}));
  ASSERT_TRUE(RecordMadeEntry(made, {0, 0}));
  EXPECT_TRUE(WasMadeHere(made, {0, 0}));
  FreeMadeEntries(made);
  EXPECT_FALSE(WasMadeHere(made, {1, 1ull << 32}));
}

}  // namespace
