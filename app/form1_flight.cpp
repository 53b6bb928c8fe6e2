// The ball's flight: a closed-form path recomputed from the launch point every tick.
#include "app/form1.h"
#include "game/flight.h"

namespace tv {

namespace {
Box BoxOf(const TControl& c) { return {c.Left(), c.Top(), c.Width(), c.Height()}; }
}  // namespace

void TForm1::Timer1Timer() {
  const Displacement d = FlightAt(g.Angle, g.Power, g.Gravity, g.FlightTime);
  g.DeltaY = d.dy;
  g.DeltaX = d.dx;

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

  if (Touching(BoxOf(*ball), BoxOf(*target))) {
    HitOutcome();
    return;
  }

  const Spot next = FlightSpot({g.LaunchLeft, g.LaunchTop}, d);
  if (!InField({next.left, next.top, ball->Width(), ball->Height()}, Bevel1.Top(), Width())) {
    MissOutcome();
    return;
  }
  ball->SetTop(next.top);
  ball->SetLeft(next.left);
  g.FlightTime = NextFlightTime(g.FlightTime);
}

}  // namespace tv
