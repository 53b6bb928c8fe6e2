// Each ball rests on a ring around its launcher, in the direction of its side's aim.
#include "game/placement.h"

#include <cmath>

#include "game/state.h"

namespace tv {

namespace {
long double Half(int v) { return static_cast<long double>(v) / 2; }
}  // namespace

// Every term is rounded on its own before the terms are added.
Spot BallOnRing(const Box& launcher, int32_t ballWidth, int32_t ballHeight, int32_t angle) {
  const long double r = DegToRad(angle);
  const int32_t ring = launcher.width / 2 + 5;
  Spot s;
  s.left = RoundToInt(cosl(r) * ring) + (RoundToInt(Half(launcher.width)) + launcher.left) -
           RoundToInt(Half(ballWidth));
  s.top = (RoundToInt(Half(launcher.height)) + (launcher.top + 2)) - RoundToInt(Half(ballHeight)) -
          RoundToInt(sinl(r) * ring);
  return s;
}

}  // namespace tv
