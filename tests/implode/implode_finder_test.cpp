// The best levels' binary-tree search against the hash chain walked to its end: both must
// report, for every length, the nearest match in the window, so their lists must agree at
// every position. Inputs: text, machine-code-like data with long runs (which end searches
// at the full 518 bytes and replace tree nodes), short periods, and more than 64 KiB so that
// the chain's 16-bit positions wrap.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "implode/implode.h"
#include "implode/implode_codes.h"
#include "implode/implode_match_finder.h"
#include "test_inputs.h"

namespace {

std::vector<std::vector<uint8_t>> FinderInputs() {
  std::vector<std::vector<uint8_t>> inputs;
  inputs.push_back(TextLike(90000, 51));
  inputs.push_back(StructuredBinary(90000, 52));
  std::vector<uint8_t> periodic;
  for (size_t k = 0; k < 20000; ++k) periodic.push_back(static_cast<uint8_t>("abcabd"[k % 6]));
  periodic.insert(periodic.end(), 1500, 'a');
  inputs.push_back(periodic);
  return inputs;
}

TEST(ImplodeTreeFinder, AgreesWithFullChainAtEveryPosition) {
  for (const std::vector<uint8_t>& input : FinderInputs()) {
    for (uint32_t window : {1024u, 4096u}) {
      SCOPED_TRACE("size " + std::to_string(input.size()) + " window " + std::to_string(window));
      // Searches read up to 8 bytes past their limit.
      std::vector<uint8_t> data(input);
      data.resize(input.size() + 8, 0);
      std::unique_ptr<ImplodeMatchFinder> chain(new ImplodeMatchFinder);
      std::unique_ptr<ImplodeMatchFinder> tree(new ImplodeMatchFinder);
      ResetMatchFinder(*chain);
      ResetMatchFinder(*tree);
      std::vector<ImplodeMatch> chainMatches(kImplodeMaxMatches);
      std::vector<ImplodeMatch> treeMatches(kImplodeMaxMatches);
      const uint32_t n = static_cast<uint32_t>(input.size());
      for (uint32_t i = 0; i < n; ++i) {
        ImplodeSearchLimits limits;
        limits.maxLength = n - i < implode::kMaxRepetition ? n - i : implode::kMaxRepetition;
        limits.scanLength = limits.maxLength;
        limits.maxDistance = i < window ? i : window;
        limits.maxDistance2 = i < implode::kMaxDistance2 ? i : implode::kMaxDistance2;
        limits.maxChain = 4096;
        limits.niceLength = implode::kMaxRepetition;
        uint32_t chainDistance2 = 0;
        uint32_t treeDistance2 = 0;
        const uint32_t chainCount =
            FindMatches(*chain, data.data() + i, i, limits, chainMatches.data(), &chainDistance2);
        const uint32_t treeCount = FindMatchesInTree(*tree, data.data() + i, i, limits,
                                                     treeMatches.data(), &treeDistance2);
        ASSERT_EQ(treeDistance2, chainDistance2) << "position " << i;
        ASSERT_EQ(treeCount, chainCount) << "position " << i;
        for (uint32_t k = 0; k < chainCount; ++k) {
          ASSERT_EQ(treeMatches[k].length, chainMatches[k].length) << "position " << i;
          ASSERT_EQ(treeMatches[k].distance, chainMatches[k].distance) << "position " << i;
        }
      }
    }
  }
}

}  // namespace
