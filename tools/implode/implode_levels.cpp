#include "implode/implode_levels.h"

static constexpr ImplodeLevel kLevels[kImplodeMaxLevel] = {
    {ImplodeParser::kGreedy, 1, 518},     // 1
    {ImplodeParser::kLazy, 8, 64},        // 2
    {ImplodeParser::kOptimal, 16, 8},     // 3
    {ImplodeParser::kOptimal, 16, 16},    // 4
    {ImplodeParser::kOptimal, 32, 32},    // 5
    {ImplodeParser::kOptimal, 64, 64},    // 6
    {ImplodeParser::kOptimal, 128, 258},  // 7
    {ImplodeParser::kOptimal, 1024, 518}, // 8
    {ImplodeParser::kOptimal, 4096, 518}, // 9
};

ImplodeLevel GetImplodeLevel(uint32_t level) { return kLevels[level - 1]; }
