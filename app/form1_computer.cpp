// The computer: one tick after getting the turn it aims along the line between
// the launchers, lifted by a random amount, and fires with a random power.
#include "app/form1.h"
#include "game/aim.h"

namespace tv {

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
  g.Angle = ComputerAngle(left, base, lift);
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
