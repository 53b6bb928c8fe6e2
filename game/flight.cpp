// The ball's path: closed form from the launch point, recomputed every tick.
#include "game/flight.h"

#include <cmath>

#include "game/state.h"

namespace tv {

namespace {
constexpr float kHalf = 0.5f;         // single precision
constexpr long double kStep = 0.09L;  // extended precision
}  // namespace

Displacement FlightAt(int32_t angle, int32_t power, int32_t gravity, double time) {
  const long double r = DegToRad(angle);
  const long double t = time;
  Displacement d;
  d.dy = RoundToInt((sinl(r) * power) * t - ((gravity * static_cast<long double>(kHalf)) * t) * t);
  d.dx = RoundToInt((cosl(r) * power) * t);
  return d;
}

double NextFlightTime(double t) { return static_cast<double>(static_cast<long double>(t) + kStep); }

Spot FlightSpot(Spot launch, Displacement d) {
  return {int32_t(int64_t(launch.left) + d.dx), int32_t(int64_t(launch.top) - d.dy)};
}

bool Touching(const Box& ball, const Box& target) {
  const bool apart = ball.left + ball.width < target.left || ball.left > target.left + target.width ||
                     ball.top + ball.height < target.top || target.top + target.height < ball.top;
  return !apart;
}

bool InField(const Box& ball, int32_t groundTop, int32_t windowWidth) {
  const int64_t right = int64_t(ball.left) + ball.width;
  return int64_t(ball.top) + ball.height < groundTop && right < windowWidth && right > 0;
}

}  // namespace tv
