// Each ball rests on a ring around its launcher, in the direction of its side's aim.
#include <cmath>

#include "app/form1.h"

namespace tv {

namespace {
long double Half(int v) { return static_cast<long double>(v) / 2; }
}  // namespace

// Every term is rounded on its own before the terms are added.
void TForm1::PlaceBall(TImage& ball, const TImage& launcher, int32_t angle) {
  const long double r = DegToRad(angle);
  const int32_t ring = launcher.Width() / 2 + 5;
  ball.SetLeft(RoundToInt(cosl(r) * ring) + (RoundToInt(Half(launcher.Width())) + launcher.Left()) -
               RoundToInt(Half(ball.Width())));
  ball.SetTop((RoundToInt(Half(launcher.Height())) + (launcher.Top() + 2)) - RoundToInt(Half(ball.Height())) -
              RoundToInt(sinl(r) * ring));
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
