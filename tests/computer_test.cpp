// The computer's shot: its draws, its sight line and its launch.
#include <gtest/gtest.h>

#include "tests/support/game_harness.h"

namespace tv {
namespace {

struct Computer : ::testing::Test {
  test::Game game;
  TForm1& f = *game.form;
  GameState& g = game.state;
  void SetUp() override {
    game.Start();
    game.StartMode(2);
    f.Timer3.SetEnabled(false);
  }
  void Launchers(int l1, int t1, int l4, int t4) {
    f.Image1.SetLeft(l1);
    f.Image1.SetTop(t1);
    f.Image4.SetLeft(l4);
    f.Image4.SetTop(t4);
  }
  // The angles one side fires at over many seeds.
  std::pair<int, int> AngleRange(const std::string& turn) {
    int lo = 1000, hi = -1000;
    for (uint32_t seed = 0; seed < 400; ++seed) {
      g.RandSeed = seed * 2654435761u;
      g.Turn = turn;
      g.Phase = kBilgisayar;
      f.Timer3Timer();
      lo = std::min(lo, g.Angle);
      hi = std::max(hi, g.Angle);
      EXPECT_GE(g.Power, 100);
      EXPECT_LE(g.Power, 199);
      f.Timer1.SetEnabled(false);
    }
    return {lo, hi};
  }
};

TEST_F(Computer, AimsAlongTheLineBetweenTheLaunchersLiftedByUpToTwentyNineDegrees) {
  Launchers(5, 300, 453, 200);  // base angle 12.6 rounds to 13
  EXPECT_EQ(AngleRange(kBilgisayar1), std::make_pair(13, 42));
  EXPECT_EQ(AngleRange(kBilgisayar2), std::make_pair(164, 193));
  Launchers(5, 250, 565, 250);
  EXPECT_EQ(AngleRange(kBilgisayar1), std::make_pair(0, 29));
  EXPECT_EQ(AngleRange(kBilgisayar2), std::make_pair(151, 180));
}

TEST_F(Computer, DrawsPowerThenLiftAndFiresFromWhereTheBallRests) {
  Launchers(5, 300, 453, 200);
  g.RandSeed = 12345;
  GameState expect;
  expect.RandSeed = 12345;
  const int32_t power = int32_t(RandomBelow(expect, 100)) + 100;
  const int32_t lift = int32_t(RandomBelow(expect, 30));
  g.Turn = kBilgisayar1;
  g.Phase = kBilgisayar;
  g.FlightTime = 3.0;
  f.Timer3.SetEnabled(true);
  f.Timer3Timer();
  EXPECT_EQ(g.Power, power);
  EXPECT_EQ(g.Angle, 13 + lift);
  EXPECT_EQ(g.FlightTime, 0.0);
  EXPECT_EQ(g.LaunchLeft, f.Image2.Left());
  EXPECT_EQ(g.LaunchTop, f.Image2.Top());
  EXPECT_EQ(g.Phase, kHareket);
  EXPECT_FALSE(f.Timer3.Enabled());
  EXPECT_TRUE(f.Timer1.Enabled());
}

TEST_F(Computer, AnyOtherTurnOnlyDrawsThePower) {
  g.Turn = kKullanici1;
  g.Phase = kBilgisayar;
  g.Angle = 77;
  f.Timer3Timer();
  EXPECT_GE(g.Power, 100);
  EXPECT_EQ(g.Angle, 77);
  EXPECT_EQ(g.Phase, kBilgisayar);
  EXPECT_FALSE(f.Timer1.Enabled());
}

TEST_F(Computer, LaunchersAtTheSameLeftStillGetAShot) {
  for (auto [t1, t4, base] : std::vector<std::tuple<int, int, int>>{{300, 200, 90}, {200, 300, -90}, {250, 250, 0}}) {
    Launchers(565, t1, 565, t4);
    g.RandSeed = 0;
    g.Turn = kBilgisayar1;
    g.Phase = kBilgisayar;
    f.Timer3Timer();
    EXPECT_EQ(g.Phase, kHareket);
    EXPECT_GE(g.Angle, base);
    EXPECT_LE(g.Angle, base + 29);
    f.Timer1.SetEnabled(false);
  }
  EXPECT_TRUE(game.backend.Boxes().empty());
}

TEST_F(Computer, ALeftLauncherPastTheRightOneAimsAwayFromIt) {
  Launchers(580, 300, 453, 200);  // dx negative: the line is mirrored
  const auto range = AngleRange(kBilgisayar1);
  EXPECT_LT(range.first, 0);  // atan(100 / -127) = -38 degrees
  EXPECT_EQ(range.first, -38);
}

TEST_F(Computer, EscapeDuringItsAimingPumpStopsTheShot) {
  g.Turn = kBilgisayar1;
  g.Phase = kBilgisayar;
  game.backend.KeyDown(game.Now(), VK_ESCAPE);
  f.Timer3Timer();
  EXPECT_EQ(g.Phase, kMenu);
  EXPECT_FALSE(f.Timer1.Enabled());
}

TEST_F(Computer, TheFirstShotWaitsForTheSetUpToFinish) {
  game.StartMode(0);
  game.StartMode(2);
  // A box held open by the set-up's probe outlasts the computer's delay.
  f.Image3.SetPicture(Bitmap(593, 402, 0));
  bool flewDuringSetUp = false;
  game.backend.dismissAfter = [&](const HeadlessBackend::MessageBoxRecord&) { return 3000; };
  f.Timer1.OnTimer = [&] {
    flewDuringSetUp = flewDuringSetUp || game.backend.OpenBoxes() > 0;
    f.Timer1Timer();
  };
  game.Key(VK_ESCAPE);
  game.StartMode(2);
  EXPECT_EQ(g.Phase, kHareket);  // fired as soon as the set-up returned
  EXPECT_FALSE(flewDuringSetUp);
  EXPECT_EQ(f.Image2.Left(), g.LaunchLeft);
}

}  // namespace
}  // namespace tv
