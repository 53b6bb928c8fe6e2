// The computer: one tick after getting the turn it aims along the line between
// the launchers, lifted by a random amount, and fires with a random power.
#include <cmath>

#include "app/form1.h"

namespace tv {

namespace {

// The direction of the line between the launchers' top-left corners, in whole degrees.
int32_t BaseAngle(int32_t dy, int32_t dx) {
  // Launchers at the same Left: straight up, straight down, or level.
  if (dx == 0) return dy > 0 ? 90 : (dy < 0 ? -90 : 0);
  const long double degrees = atanl(static_cast<long double>(dy) / dx) * 180.0f / 3.141593L;
  return RoundToInt(degrees);
}

}  // namespace

void TForm1::Timer3Timer() {
  Timer3.SetEnabled(false);
  g.Power = int32_t(RandomBelow(g, 100)) + 100;
  g.FlightTime = 0.0;
  const bool left = g.Turn == kBilgisayar1;
  if (!left && g.Turn != kBilgisayar2) return;

  const int32_t dy = Image1.Top() - Image4.Top();
  const int32_t dx = Image4.Left() - Image1.Left();
  const int32_t base = BaseAngle(dy, dx);
  const int32_t lift = int32_t(RandomBelow(g, 30));
  g.Angle = left ? base + lift : base + (180 - lift);
  ToplariDuzelt(0);
  const uint64_t openings = menuOpenings_;
  App().ProcessMessages();
  // Escape in that pump opened the menu: no shot behind it.
  if (menuOpenings_ != openings) return;
  const TImage& ball = left ? Image2 : Image5;
  g.LaunchLeft = ball.Left();
  g.LaunchTop = ball.Top();
  g.Phase = kHareket;
  Timer1.SetEnabled(true);
}

}  // namespace tv
