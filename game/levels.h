#pragma once
#include <cstdint>
#include <optional>

namespace tv {

constexpr int kLastLevel = 8;

// The campaign level whose picture a set-up loads: `level` itself when its
// upper 32 bits are 0 and its lower ones 1..8; nothing otherwise.
std::optional<int> LevelPictureNumber(int64_t level);

// The level after a won one (the whole 64-bit value wraps), and whether the
// campaign goes on to it.
int64_t NextLevel(int64_t level);
bool CampaignGoesOn(int64_t nextLevel);

// The right launcher stands 5 pixels from the right edge.
int32_t TargetLeft(int32_t clientWidth, int32_t side);

}  // namespace tv
