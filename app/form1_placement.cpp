// Each ball rests on a ring around its launcher, in the direction of its side's aim.
#include "app/form1.h"
#include "game/placement.h"

namespace tv {

void TForm1::PlaceBall(TImage& ball, const TImage& launcher, int32_t angle) {
  const Spot s = BallOnRing({launcher.Left(), launcher.Top(), launcher.Width(), launcher.Height()}, ball.Width(),
                            ball.Height(), angle);
  ball.SetLeft(s.left);
  ball.SetTop(s.top);
}

void TForm1::ToplariDuzelt(uint8_t reset) {
  const bool left = g.Turn == kKullanici1 || g.Turn == kBilgisayar1;
  const bool right = g.Turn == kKullanici2 || g.Turn == kBilgisayar2;
  if (reset == 1) {
    PlaceBall(Image2, Image1, 0);
    PlaceBall(Image5, Image4, 180);
    if (left) g.Angle = 0;
    if (right) g.Angle = 180;
    return;
  }
  if (left) PlaceBall(Image2, Image1, g.Angle);
  if (right) PlaceBall(Image5, Image4, g.Angle);
}

}  // namespace tv
