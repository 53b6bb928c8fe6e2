// A human's turn: aiming, charging, firing, sliding, and Escape from anywhere.
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <fstream>
#include <mutex>

#include "platform/sdl/sdl_device_watch.h"
#include "tests/support/game_harness.h"

namespace tv {
namespace {

struct Input : ::testing::Test {
  test::Game game;
  TForm1& f = *game.form;
  GameState& g = game.state;
  void SetUp() override {
    game.Start();
    game.StartMode(1);
  }
  void Down(uint16_t k, uint64_t at) { game.backend.KeyDown(at, k); }
  void Up(uint16_t k, uint64_t at) { game.backend.KeyUp(at, k); }
  bool AnyTimer() { return f.Timer1.Enabled() || f.Timer2.Enabled() || f.Timer3.Enabled(); }
};

TEST_F(Input, KeyRepeatsNeitherRestartNorSpeedUpTheCharge) {
  const uint64_t t0 = game.Now();
  Down(VK_SPACE, t0);
  for (uint64_t t = t0 + 3; t < t0 + 300; t += 33) Down(VK_SPACE, t);  // auto-repeat
  game.Run(305);
  EXPECT_EQ(g.Power, 30);
  EXPECT_EQ(f.ProgressBar1.Position(), 30);
  EXPECT_TRUE(f.ProgressBar1.Visible());
  EXPECT_EQ(g.Phase, kKullanici);
}

TEST_F(Input, TheChargeIsCappedAtOneHundredOnRelease) {
  const int left = f.Image2.Left(), top = f.Image2.Top();
  Down(VK_SPACE, game.Now());
  game.Run(1500);
  EXPECT_EQ(g.Power, 150);
  EXPECT_EQ(f.ProgressBar1.Position(), 150);
  Up(VK_SPACE, game.Now());
  game.Run(0);
  EXPECT_EQ(g.Power, 100);
  EXPECT_EQ(g.Phase, kHareket);
  EXPECT_EQ(g.LaunchLeft, left);
  EXPECT_EQ(g.LaunchTop, top);
  EXPECT_EQ(g.FlightTime, 0.0);
  EXPECT_FALSE(f.ProgressBar1.Visible());
  EXPECT_FALSE(f.Timer2.Enabled());
  EXPECT_TRUE(f.Timer1.Enabled());
}

TEST_F(Input, AReleaseBeforeTheFirstTickFiresWithThePowerLeftBefore) {
  Down(VK_SPACE, game.Now() + 1);
  Up(VK_SPACE, game.Now() + 5);
  game.Run(6);
  EXPECT_EQ(g.Power, 0);
  EXPECT_EQ(g.Phase, kHareket);
}

TEST_F(Input, UpLiftsAndDownLowersTheAimForEitherPlayerEvenDuringACharge) {
  Down(VK_SPACE, game.Now());
  game.Key(VK_UP, 20);
  game.Key(VK_UP, 30);
  game.Key(VK_DOWN, 40);
  game.Run(50);
  EXPECT_EQ(g.Angle, 5);
  EXPECT_EQ(f.Image2.Left(), f.Image1.Left() + 17);
  EXPECT_EQ(f.Image2.Top(), f.Image1.Top() + 3);
  g.Turn = kKullanici2;
  g.Angle = 180;
  game.Key(VK_UP);
  game.Run(1);
  EXPECT_EQ(g.Angle, 175);
}

TEST_F(Input, LeftAndRightSlideTheLauncherOnlyAfterA) {
  const int left = f.Image1.Left();
  game.Key(VK_RIGHT);
  game.Run(1);
  EXPECT_EQ(f.Image1.Left(), left);
  game.Key('A');
  game.Key(VK_RIGHT);
  game.Key(VK_RIGHT);
  game.Key(VK_LEFT);
  game.Run(1);
  EXPECT_EQ(game.backend.Beeps(), 1);
  EXPECT_EQ(f.Image1.Left(), left + 5);
  EXPECT_EQ(f.Image2.Left(), left + 5 + 17);  // the ball follows
  // One A unlocks both players for the rest of the match.
  g.Turn = kKullanici2;
  const int right = f.Image4.Left();
  game.Key(VK_LEFT);
  game.Run(1);
  EXPECT_EQ(f.Image4.Left(), right - 5);
  EXPECT_EQ(f.Image1.Left(), left + 5);
}

TEST_F(Input, OutsideAHumansTurnOnlyEscapeActs) {
  g.Phase = kHareket;
  const int32_t angle = g.Angle;
  for (uint16_t k : {uint16_t(VK_UP), uint16_t(VK_SPACE), uint16_t('A'), uint16_t(VK_RETURN)}) game.Key(k);
  game.Run(30);
  EXPECT_EQ(g.Angle, angle);
  EXPECT_FALSE(f.Timer2.Enabled());
  EXPECT_FALSE(f.Timer1.Enabled());
  EXPECT_EQ(g.FreeMove, 0);
  // Enter in play does nothing either.
  g.Phase = kKullanici;
  game.Key(VK_RETURN);
  game.Run(1);
  EXPECT_EQ(g.Phase, kKullanici);
}

TEST_F(Input, EscapeStopsEveryTimerInEveryPhase) {
  // During a charge.
  Down(VK_SPACE, game.Now());
  game.Run(50);
  game.Key(VK_ESCAPE);
  game.Run(1);
  EXPECT_FALSE(AnyTimer());
  EXPECT_EQ(g.Phase, kMenu);
  EXPECT_EQ(g.Power, 5);  // left charged until the next set-up
  EXPECT_FALSE(f.ProgressBar1.Visible());
  // During a flight.
  game.StartMode(1);
  Down(VK_SPACE, game.Now());
  Up(VK_SPACE, game.Now() + 300);
  game.Run(350);
  ASSERT_EQ(g.Phase, kHareket);
  const int ballLeft = f.Image2.Left();
  game.Key(VK_ESCAPE);
  game.Run(200);
  EXPECT_FALSE(AnyTimer());
  EXPECT_EQ(f.Image2.Left(), ballLeft);
  // During the computer's wait.
  game.StartMode(2);
  game.Run(500);
  game.Key(VK_ESCAPE);
  game.Run(2000);
  EXPECT_FALSE(AnyTimer());
  EXPECT_EQ(g.Phase, kMenu);
}

TEST_F(Input, ASpaceHeldFromTheComputersTurnChargesFromTheFirstRepeatInTheHumansTurn) {
  g.Phase = kBilgisayar;
  Down(VK_SPACE, game.Now());
  game.Run(5);
  EXPECT_FALSE(f.Timer2.Enabled());
  g.Phase = kKullanici;
  Down(VK_SPACE, game.Now() + 10);  // the first repeat in the turn
  game.Run(41);
  EXPECT_EQ(g.Power, 3);
  Up(VK_SPACE, game.Now());
  game.Run(0);
  EXPECT_EQ(g.Phase, kHareket);
}

// A pad plugged in while the loop sleeps: its device node wakes the loop at
// once and again a little later, for udev's announcement that follows it.
TEST(DeviceWatch, ANewNodeWakesAtOnceAndAgainAndAMissingFolderWatchesNothing) {
  const std::string dir = testing::TempDir() + "/input";
  std::filesystem::create_directories(dir);
  std::filesystem::remove(dir + "/event7");
  std::mutex m;
  std::condition_variable cv;
  int wakes = 0;
  {
    DeviceWatch watch(dir, [&] {
      std::lock_guard<std::mutex> lock(m);
      ++wakes;
      cv.notify_all();
    });
    ASSERT_TRUE(watch.Watching());
    std::ofstream(dir + "/event7") << "";
    std::unique_lock<std::mutex> lock(m);
    EXPECT_TRUE(cv.wait_for(lock, std::chrono::seconds(10), [&] { return wakes >= 2; })) << wakes;
  }
  EXPECT_FALSE(DeviceWatch(dir + "/none", [] {}).Watching());
}

}  // namespace
}  // namespace tv
