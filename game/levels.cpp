// The campaign's levels: which picture, what comes next, where the target stands.
#include "game/levels.h"

namespace tv {

std::optional<int> LevelPictureNumber(int64_t level) {
  if ((static_cast<uint64_t>(level) >> 32) != 0) return std::nullopt;
  const uint32_t low = static_cast<uint32_t>(level);
  if (low < 1 || low > uint32_t(kLastLevel)) return std::nullopt;
  return int(low);
}

int64_t NextLevel(int64_t level) { return int64_t(uint64_t(level) + 1u); }

bool CampaignGoesOn(int64_t nextLevel) { return nextLevel <= kLastLevel; }

int32_t TargetLeft(int32_t clientWidth, int32_t side) { return clientWidth - side - 5; }

}  // namespace tv
