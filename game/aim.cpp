// The computer's aim along the line between the launchers.
#include "game/aim.h"

#include <cmath>

#include "game/state.h"

namespace tv {

int32_t BaseAngle(int32_t dy, int32_t dx) {
  // Launchers at the same Left: straight up, straight down, or level.
  if (dx == 0) return dy > 0 ? 90 : (dy < 0 ? -90 : 0);
  const long double degrees = atanl(static_cast<long double>(dy) / dx) * 180.0f / 3.141593L;
  return RoundToInt(degrees);
}

int32_t ComputerAngle(bool leftSide, int32_t base, int32_t lift) {
  return leftSide ? base + lift : base + (180 - lift);
}

}  // namespace tv
