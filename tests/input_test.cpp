// A human's turn: aiming, charging, firing, sliding, and Escape from anywhere.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <mutex>
#include <random>

#include "platform/sdl/sdl_device_watch.h"
#include "platform/toolkit/pad_keys.h"
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

// What the pads gave by `now`: "+38" the game's KeyDown of key 38, "-38" its KeyUp, "box+32" the box's.
std::string Drain(PadKeys& keys, uint64_t now) {
  std::string out;
  PadKeys::Key k;
  while (keys.Next(now, k))
    out += std::string(out.empty() ? "" : " ") + (k.forBox ? "box" : "") +
           (k.event.type == Event::Type::KeyDown ? "+" : "-") + std::to_string(k.event.key);
  return out;
}

// Random presses on three pads, sticks at and around their thresholds, boxes
// opening and closing, pads pulled out, the keyboard lost: the game sees each
// key go down before it goes up, repeats only of arrows and Space at their pace,
// nothing pressed over a box, and nothing held once every pad is at rest.
TEST(PadKeys, TheGameSeesWholeKeysAtTheirPaceNothingOfTheBoxAndNothingHeldAtRest) {
  const int kAxis[] = {-32768, -20000, -16384, -16383, -9830, -9829, 0, 9829, 9830, 16383, 16384, 32767};
  for (uint32_t seed = 1; seed <= 400; ++seed) {
    std::mt19937 rng(seed);
    auto pick = [&](int n) { return int(rng() % unsigned(n)); };
    PadKeys keys;
    keys.KeyboardAt(1);
    uint64_t now = 0;
    bool box = false;
    struct Held {
      uint64_t at;    // when it went down or last repeated
      bool repeated;
    };
    std::map<uint16_t, Held> game;              // the keys the game holds
    std::map<std::pair<int, int>, int> values;  // (pad, input): the last value reported
    std::string failure;
    for (int step = 0; step < 300 && failure.empty(); ++step) {
      now += pick(4) ? pick(40) : pick(900);
      const int pad = pick(3);
      switch (pick(12)) {
        case 0: box = !box; break;
        case 1:
          keys.FocusLost();
          game.clear();
          break;
        case 2:
          keys.Remove(pad);
          for (int i = 0; i <= int(PadInput::StickY); ++i) values.erase({pad, i});
          break;
        default: {
          const auto input = PadInput(pick(int(PadInput::StickY) + 1));
          const int value = input >= PadInput::StickX ? kAxis[pick(12)] : pick(2);
          values[{pad, int(input)}] = value;
          keys.Report(pad, input, value, now, box);
        }
      }
      PadKeys::Key k;
      while (failure.empty() && keys.Next(now, k)) {
        const uint16_t key = k.event.key;
        const auto held = game.find(key);
        if (k.forBox) {
          if (!box) failure = "a key for a box not open";
        } else if (k.event.type == Event::Type::KeyUp) {
          if (held == game.end()) failure = "a release of " + std::to_string(key) + " never pressed";
          else game.erase(held);
        } else if (held == game.end()) {
          if (box) failure = "a press over the box reached the game";
          game[key] = {now, false};
        } else if (key == VK_RETURN || key == VK_ESCAPE || key == 'A' ||
                   now < held->second.at + (held->second.repeated ? 33 : 500)) {
          failure = "a repeat of " + std::to_string(key) + " too soon or of a key that does not repeat";
        } else {
          held->second = {now, true};
        }
      }
      const bool atRest = std::all_of(values.begin(), values.end(), [](auto& v) {
        return v.second == 0 || (v.first.second >= int(PadInput::StickX) && std::abs(v.second) < 9830);
      });
      if (failure.empty() && atRest && !game.empty()) failure = "a key held with every pad at rest";
    }
    ASSERT_EQ(failure, "") << "seed " << seed;
  }
}

TEST(PadKeys, TwoPadsHoldOneKeyTheStickHasTwoThresholdsAndABoxKeepsItsPresses) {
  PadKeys keys;
  keys.KeyboardAt(1);
  keys.Report(1, PadInput::South, 1, 0, false);
  keys.Report(2, PadInput::South, 1, 0, false);
  keys.Report(1, PadInput::South, 0, 0, false);
  EXPECT_EQ(Drain(keys, 0), "+32") << "down with the first pad, up only with the last";
  keys.Report(2, PadInput::South, 0, 0, false);
  EXPECT_EQ(Drain(keys, 0), "-32");
  // On past half the stick's travel, off only under 30 %; flicked across, the release comes first.
  const std::pair<int, const char*> steps[] = {{-16383, ""}, {-16384, "+38"}, {-9830, ""}, {-9829, "-38"},
                                               {-20000, "+38"}, {20000, "-38 +40"}, {0, "-40"}};
  for (auto [value, want] : steps) {
    keys.Report(1, PadInput::StickY, value, 0, false);
    EXPECT_EQ(Drain(keys, 0), want) << value;
  }
  // B over a box is the box's, and so is its release after the box has gone.
  keys.Report(1, PadInput::East, 1, 0, true);
  EXPECT_EQ(Drain(keys, 0), "box+27");
  keys.Report(1, PadInput::East, 0, 0, false);
  EXPECT_EQ(Drain(keys, 0), "");
}

TEST(PadKeys, AHeldKeyRepeatsUntilLetGoOrTheKeyboardIsLostAndAPadPulledOutLetsGo) {
  PadKeys keys;
  keys.KeyboardAt(1);
  keys.Report(1, PadInput::DpadLeft, 1, 1000, false);
  EXPECT_EQ(Drain(keys, 1499), "+37");
  EXPECT_EQ(keys.Limit(-1, 1499), 1);
  EXPECT_EQ(Drain(keys, 1500), "+37");
  EXPECT_EQ(Drain(keys, 2000), "+37") << "a late loop gets one repeat, not a burst";
  keys.FocusLost();
  EXPECT_EQ(keys.Limit(-1, 2000), -1);
  keys.Report(1, PadInput::DpadLeft, 0, 3000, false);
  EXPECT_EQ(Drain(keys, 3000), "") << "neither a repeat nor a release after the keyboard was lost";
  keys.Report(1, PadInput::DpadLeft, 1, 3000, false);
  keys.Remove(1);
  EXPECT_EQ(Drain(keys, 3000), "+37 -37");
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
