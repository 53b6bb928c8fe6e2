#pragma once
#include <cstdint>

#include "game/geometry.h"

namespace tv {

// Where a ball of that size rests on the ring around its launcher, in the
// direction `angle` (whole degrees, 0 = right, counter-clockwise).
Spot BallOnRing(const Box& launcher, int32_t ballWidth, int32_t ballHeight, int32_t angle);

}  // namespace tv
