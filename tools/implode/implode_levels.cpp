#include "implode/implode_levels.h"

static constexpr ImplodeLevel kLevels[kImplodeMaxLevel] = {
    {ImplodeParser::kGreedy, 1, 518, false, false},     // 1
    {ImplodeParser::kFast, 0, 9, false, false},         // 2
    {ImplodeParser::kFast, 0, 16, false, false},        // 3
    {ImplodeParser::kOptimal, 16, 16, false, false},    // 4
    {ImplodeParser::kOptimal, 32, 32, false, false},    // 5
    {ImplodeParser::kOptimal, 64, 64, false, false},    // 6
    {ImplodeParser::kOptimal, 128, 258, false, false},  // 7
    {ImplodeParser::kOptimal, 4096, 518, true, true},   // 8, the same as 9
    {ImplodeParser::kOptimal, 4096, 518, true, true},   // 9
};

ImplodeLevel GetImplodeLevel(uint32_t level) { return kLevels[level - 1]; }
