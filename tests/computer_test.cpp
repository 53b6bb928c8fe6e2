// The computer's shot: its draws, its sight line and its launch.
#include <gtest/gtest.h>

#include "game/aim.h"
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
};

// The sight line from the left launcher's corner to the right one's, lifted by 0 to 29 degrees.
TEST(ComputerAim, AimsAlongTheLineBetweenTheLaunchersLiftedByUpToTwentyNineDegrees) {
  EXPECT_EQ(BaseAngle(100, 448), 13);  // 12.6 rounds to 13
  EXPECT_EQ(ComputerAngle(true, 13, 0), 13);
  EXPECT_EQ(ComputerAngle(true, 13, 29), 42);
  EXPECT_EQ(ComputerAngle(false, 13, 0), 193);
  EXPECT_EQ(ComputerAngle(false, 13, 29), 164);
  EXPECT_EQ(BaseAngle(0, 560), 0);
  EXPECT_EQ(ComputerAngle(false, 0, 29), 151);
  // Past the other launcher the line is mirrored; at the same Left it is straight up, down or level.
  EXPECT_EQ(BaseAngle(100, -127), -38);
  EXPECT_EQ(BaseAngle(100, 0), 90);
  EXPECT_EQ(BaseAngle(-100, 0), -90);
  EXPECT_EQ(BaseAngle(0, 0), 0);
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
