#include "game/state.h"

#include <cmath>

namespace tv {

// 3.141593 held in extended precision, 180 in single precision.
constexpr long double kPi = 3.141593L;
constexpr float k180 = 180.0f;

long double DegToRad(int32_t degrees) { return static_cast<long double>(degrees) * kPi / k180; }

int32_t RoundToInt(long double x) {
  // llrintl rounds in the current mode (to nearest, halves to even).
  return static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint64_t>(llrintl(x))));
}

uint32_t RandomBelow(GameState& g, uint32_t n) {
  g.RandSeed = g.RandSeed * 134775813u + 1u;
  return static_cast<uint32_t>((static_cast<uint64_t>(n) * g.RandSeed) >> 32);
}

void ReseedRandom(GameState& g, uint64_t counter) { g.RandSeed = static_cast<uint32_t>(counter); }

}  // namespace tv
