// The ball's flight: a closed-form path recomputed from the launch point every tick.
#include <cmath>

#include "app/form1.h"

namespace tv {

namespace {
constexpr float kHalf = 0.5f;       // single precision
constexpr long double kStep = 0.09L;  // extended precision
}  // namespace

void TForm1::Timer1Timer() {
  const long double r = DegToRad(g.Angle);
  const long double t = g.FlightTime;
  g.DeltaY = RoundToInt((sinl(r) * g.Power) * t - ((g.Gravity * static_cast<long double>(kHalf)) * t) * t);
  g.DeltaX = RoundToInt((cosl(r) * g.Power) * t);

  TImage* ball;
  TImage* target;
  if (g.Turn == kKullanici1 || g.Turn == kBilgisayar1) {
    ball = &Image2;
    target = &Image4;
  } else if (g.Turn == kKullanici2 || g.Turn == kBilgisayar2) {
    ball = &Image5;
    target = &Image1;
  } else {
    return;
  }

  // Touching edges count as contact.
  const bool apart = ball->Left() + ball->Width() < target->Left() ||
                     ball->Left() > target->Left() + target->Width() ||
                     ball->Top() + ball->Height() < target->Top() || target->Top() + target->Height() < ball->Top();
  if (!apart) {
    HitOutcome();
    return;
  }

  const int32_t newTop = int32_t(int64_t(g.LaunchTop) - g.DeltaY);
  const int32_t newLeft = int32_t(int64_t(g.LaunchLeft) + g.DeltaX);
  const int64_t right = int64_t(newLeft) + ball->Width();
  const bool inField = int64_t(newTop) + ball->Height() < Bevel1.Top() && right < Width() && right > 0;
  if (!inField) {
    MissOutcome();
    return;
  }
  ball->SetTop(newTop);
  ball->SetLeft(newLeft);
  g.FlightTime = static_cast<double>(static_cast<long double>(g.FlightTime) + kStep);
}

}  // namespace tv
