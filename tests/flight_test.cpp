// The ball's flight: the path, the hit test and the field test.
#include <gtest/gtest.h>

#include <cmath>

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

TEST_F(Flight, FollowsTheWorkedPathAndAccumulatesTimeInExtendedPrecision) {
  f.Image1.SetBounds({5, 300, 16, 16});
  f.Image2.SetBounds({22, 304, 7, 12});
  f.Image4.SetTop(100);
  Fire(kKullanici1, 45, 50);
  const std::vector<std::pair<int, int>> expected = {{0, 0},   {3, 3},   {6, 6},   {10, 9},
                                                     {13, 12}, {16, 15}, {19, 18}, {22, 20}};
  for (size_t tick = 0; tick < expected.size(); ++tick) {
    f.Timer1Timer();
    EXPECT_EQ(g.DeltaX, expected[tick].first) << tick;
    EXPECT_EQ(g.DeltaY, expected[tick].second) << tick;
    EXPECT_EQ(f.Image2.Left(), 22 + g.DeltaX);
    EXPECT_EQ(f.Image2.Top(), 304 - g.DeltaY);
    if (tick == 3) {
      EXPECT_EQ(g.FlightTime, std::nextafter(0.36, 1.0));
    }
  }
  double plain = 0.0;
  for (int i = 0; i < 4; ++i) plain += 0.09;
  EXPECT_EQ(plain, 0.36);  // plain double sums would have missed the step above
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
TEST_F(Flight, EdgeContactIsAHitAndAOnePixelGapIsNot) {
  struct Case {
    int left, top;
    bool hit;
  };
  for (Case c : {Case{293, 210, true}, Case{292, 210, false}, Case{316, 210, true}, Case{317, 210, false},
                 Case{305, 188, true}, Case{305, 187, false}, Case{305, 216, true}, Case{305, 217, false},
                 Case{293, 188, true}}) {
    f.Image4.SetBounds({300, 200, 16, 16});
    f.Image2.SetBounds({c.left, c.top, 7, 12});
    Fire(kKullanici1, 0, 0);
    const size_t boxes = game.backend.Boxes().size();
    f.Timer1Timer();
    const bool hit = game.backend.Boxes().size() > boxes;
    EXPECT_EQ(hit, c.hit) << c.left << "," << c.top;
    if (hit) {
      EXPECT_EQ(game.backend.Boxes().back().text, "Player 1 Won!");
      game.StartMode(1);
    }
  }
}

TEST_F(Flight, AFastBallCanJumpOverTheSmallestTarget) {
  f.Image4.SetBounds({300, 300, 3, 3});
  f.Image1.SetBounds({5, 380, 16, 16});
  f.Image2.SetBounds({250, 296, 7, 12});
  Fire(kKullanici1, 0, 199);  // 18 pixels a tick, flat at first
  for (int i = 0; i < 6; ++i) f.Timer1Timer();
  EXPECT_GT(f.Image2.Left(), 303);
  EXPECT_TRUE(game.backend.Boxes().empty());
}

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

TEST_F(Flight, SideLimitsAreTheOuterWidthAndTheLeftEdge) {
  f.Image4.SetTop(100);
  ASSERT_EQ(f.Width(), 592);
  struct Case {
    int launchLeft;
    bool inField;
  };
  // Right edge must stay below 592 and above 0.
  for (Case c : {Case{584, true}, Case{585, false}, Case{-6, true}, Case{-7, false}}) {
    f.Image4.SetTop(100);
    f.Image2.SetBounds({c.launchLeft, 200, 7, 12});
    Fire(kKullanici1, 0, 0);
    f.Timer1Timer();
    EXPECT_EQ(g.Phase == kHareket, c.inField) << c.launchLeft;
    game.StartMode(1);
  }
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
