// The ball's flight: the path, the hit test and the field test.
#include <gtest/gtest.h>

#include <cmath>

#include "game/flight.h"
#include "tests/support/game_harness.h"

namespace tv {
namespace {

struct Flight : ::testing::Test {
  test::Game game;
  TForm1& f = *game.form;
  GameState& g = game.state;

  void SetUp() override {
    game.Start();
    game.StartMode(1);  // Player 1 vs. Player 2
    ASSERT_EQ(g.Phase, kKullanici);
  }
  // Fires the left ball from where it stands, as a release of Space would.
  void Fire(const std::string& turn, int32_t angle, int32_t power) {
    g.Turn = turn;
    g.Angle = angle;
    g.Power = power;
    g.FlightTime = 0.0;
    TImage& ball = turn == kKullanici1 || turn == kBilgisayar1 ? f.Image2 : f.Image5;
    g.LaunchLeft = ball.Left();
    g.LaunchTop = ball.Top();
    g.Phase = kHareket;
    f.Timer1.SetEnabled(true);
  }
};

// The path, worked by hand: 45 degrees, power 50, gravity 10, time in steps of
// 0.09 summed in extended precision.
TEST(FlightPath, FollowsTheWorkedPathAndAccumulatesTimeInExtendedPrecision) {
  const std::vector<std::pair<int, int>> expected = {{0, 0},   {3, 3},   {6, 6},   {10, 9},
                                                     {13, 12}, {16, 15}, {19, 18}, {22, 20}};
  double t = 0.0;
  for (size_t tick = 0; tick < expected.size(); ++tick) {
    const Displacement d = FlightAt(45, 50, 10, t);
    EXPECT_EQ(d.dx, expected[tick].first) << tick;
    EXPECT_EQ(d.dy, expected[tick].second) << tick;
    EXPECT_EQ(FlightSpot({22, 304}, d), (Spot{22 + d.dx, 304 - d.dy}));
    t = NextFlightTime(t);
    if (tick == 3) {
      EXPECT_EQ(t, std::nextafter(0.36, 1.0));
    }
  }
  double plain = 0.0;
  for (int i = 0; i < 4; ++i) plain += 0.09;
  EXPECT_EQ(plain, 0.36);  // plain double sums would have missed the step above
}

// A 7 x 12 ball around a 16 x 16 target at (300, 200).
TEST(FlightPath, EdgeContactIsAHitAndAOnePixelGapIsNot) {
  struct Case {
    int left, top;
    bool hit;
  };
  for (Case c : {Case{293, 210, true}, Case{292, 210, false}, Case{316, 210, true}, Case{317, 210, false},
                 Case{305, 188, true}, Case{305, 187, false}, Case{305, 216, true}, Case{305, 217, false},
                 Case{293, 188, true}})
    EXPECT_EQ(Touching({c.left, c.top, 7, 12}, {300, 200, 16, 16}), c.hit) << c.left << "," << c.top;
}

TEST(FlightPath, AFastBallCanJumpOverTheSmallestTarget) {
  double t = 0.0;
  Spot at{};
  for (int i = 0; i < 7; ++i, t = NextFlightTime(t)) {
    at = FlightSpot({250, 296}, FlightAt(0, 199, 10, t));  // 18 pixels a tick, flat at first
    EXPECT_FALSE(Touching({at.left, at.top, 7, 12}, {300, 300, 3, 3})) << i;
  }
  EXPECT_GT(at.left, 303);
}

// The ground line at 408 and the outer width 592: the lower edge must stay
// above the one, the right edge below the other and above 0.
TEST(FlightPath, TheFieldEndsAtTheGroundLineTheOuterWidthAndTheLeftEdge) {
  EXPECT_TRUE(InField({100, 395, 7, 12}, 408, 592));
  EXPECT_FALSE(InField({100, 396, 7, 12}, 408, 592));
  for (auto [left, in] : std::vector<std::pair<int, bool>>{{584, true}, {585, false}, {-6, true}, {-7, false}})
    EXPECT_EQ(InField({left, 200, 7, 12}, 408, 592), in) << left;
}

TEST_F(Flight, TheFirstTickKeepsTheBallAtItsLaunchPoint) {
  Fire(kKullanici1, 30, 80);
  const int left = f.Image2.Left(), top = f.Image2.Top();
  game.Run(10);
  EXPECT_EQ(f.Image2.Left(), left);
  EXPECT_EQ(f.Image2.Top(), top);
  EXPECT_DOUBLE_EQ(g.FlightTime, 0.09);
  game.Run(10);
  EXPECT_GT(f.Image2.Left(), left);
}

// The ball stands still (Power 0 at t = 0) against a target placed around it.
TEST_F(Flight, LeavingTheFieldEndsTheShotAsAMiss) {
  // Power 0: straight down until the lower edge would reach the ground line (408).
  f.Image2.SetBounds({100, 380, 7, 12});
  f.Image4.SetTop(100);
  Fire(kKullanici1, 0, 0);
  int ticks = 0;
  while (g.Phase == kHareket && ticks < 1000) {
    f.Timer1Timer();
    ++ticks;
    if (g.Phase == kHareket) {
      EXPECT_LT(f.Image2.Top() + 12, 408);
    }
  }
  EXPECT_EQ(g.DeltaX, 0);
  EXPECT_EQ(g.Phase, kKullanici);
  EXPECT_EQ(g.Turn, kKullanici2);
  EXPECT_EQ(game.backend.Beeps(), 1);
}

TEST_F(Flight, TheFlyingBallNeverHitsItsOwnLauncher) {
  f.Image4.SetTop(100);
  f.Image2.SetBounds({f.Image1.Left(), f.Image1.Top(), 7, 12});
  Fire(kKullanici1, 90, 10);
  f.Timer1Timer();
  EXPECT_EQ(g.Phase, kHareket);
}

}  // namespace
}  // namespace tv
