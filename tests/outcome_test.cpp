// The end of a shot: the hand-over after a miss, the winners, the campaign.
#include <gtest/gtest.h>

#include "game/turns.h"
#include "tests/support/data_dir.h"
#include "tests/support/game_harness.h"

namespace tv {
namespace {

struct Outcome : ::testing::Test {
  test::DataDir data;
  test::Game game{data.Path()};
  TForm1& f = *game.form;
  GameState& g = game.state;
  void SetUp() override { game.Start(); }

  // A flight of `turn` under mode `mode` that ends on its next tick.
  void Fly(const std::string& turn, int16_t mode, bool hit) {
    g.MenuIndex = mode;
    g.Turn = turn;
    g.Phase = kHareket;
    g.Power = 70;
    g.FlightTime = 0.0;
    const bool left = turn == kKullanici1 || turn == kBilgisayar1;
    TImage& ball = left ? f.Image2 : f.Image5;
    TImage& target = left ? f.Image4 : f.Image1;
    if (hit) {
      ball.SetBounds({target.Left(), target.Top(), 7, 12});
    } else {
      ball.SetBounds({300, 420, 7, 12});  // below the ground line
    }
    g.LaunchLeft = ball.Left();
    g.LaunchTop = ball.Top();
    f.Timer1.SetEnabled(true);
    game.Run(10);
  }
  std::vector<std::string> Texts() {
    std::vector<std::string> t;
    for (const auto& b : game.backend.Boxes()) t.push_back(b.text);
    return t;
  }
};

// The hand-over table, and the pairs that no mode produces.
TEST(HandOverTable, AMissHandsTheTurnOverByTheRunningMode) {
  struct Row {
    std::string missed;
    int16_t mode;
    std::string phase, turn, label;
    bool computer;
  };
  const std::vector<Row> rows = {
      {kKullanici1, 0, kBilgisayar, kBilgisayar2, "Computer 2", true},
      {kKullanici1, 1, kKullanici, kKullanici2, "Player 2", false},
      {kKullanici2, 1, kKullanici, kKullanici1, "Player 1", false},
      {kKullanici2, 2, kKullanici, kKullanici1, "Player 1", false},
      {kBilgisayar2, 0, kKullanici, kKullanici1, "Player 1", false},
      {kBilgisayar2, 2, kBilgisayar, kBilgisayar1, "Computer 1", true},
      {kBilgisayar1, 2, kBilgisayar, kBilgisayar2, "Computer 2", true},
      {kBilgisayar1, 0, kBilgisayar, kBilgisayar2, "Computer 2", true},
  };
  for (const Row& r : rows) {
    const auto next = AfterMiss(r.missed, r.mode);
    ASSERT_TRUE(next) << r.missed << r.mode;
    EXPECT_EQ(next->phase, r.phase) << r.missed << r.mode;
    EXPECT_EQ(next->turn, r.turn) << r.missed << r.mode;
    EXPECT_EQ(next->label, r.label);
    EXPECT_EQ(next->computer, r.computer);
  }
  for (auto [turn, mode] : std::vector<std::pair<std::string, int16_t>>{
           {kKullanici1, 2}, {kKullanici1, 3}, {kBilgisayar2, 1}, {kBilgisayar2, 3}, {"", 0}})
    EXPECT_FALSE(AfterMiss(turn, mode)) << turn << mode;
}

// The window follows the table: widgets, timers, the beep and the balls.
TEST_F(Outcome, AMissHandsOverOnTheWindow) {
  for (auto [missed, mode] : std::vector<std::pair<std::string, int16_t>>{{kKullanici1, 0}, {kKullanici1, 1}}) {
    game.StartMode(1);
    f.ProgressBar1.Show();
    const int beeps = game.backend.Beeps();
    const uint64_t slept = game.backend.SleptMs();
    Fly(missed, mode, false);
    const auto next = AfterMiss(missed, mode);
    EXPECT_EQ(g.Phase, next->phase);
    EXPECT_EQ(g.Turn, next->turn);
    EXPECT_EQ(f.Label2.Caption(), next->label);
    EXPECT_EQ(f.Timer3.Enabled(), next->computer);
    EXPECT_EQ(f.ProgressBar1.Visible(), !next->computer);
    EXPECT_FALSE(f.Timer1.Enabled());
    EXPECT_EQ(g.Power, 0);
    EXPECT_EQ(f.ProgressBar1.Position(), 0);
    EXPECT_EQ(g.Angle, next->turn == kKullanici1 || next->turn == kBilgisayar1 ? 0 : 180);
    EXPECT_EQ(game.backend.Beeps(), beeps + 1);
    EXPECT_EQ(game.backend.SleptMs(), slept + 200);
    EXPECT_EQ(f.Image2.Left(), f.Image1.Left() + 17);  // both balls back on their rings
    EXPECT_EQ(f.Image5.Left(), f.Image4.Left() - 9);
  }
  // A pair no mode produces hands nothing over.
  game.StartMode(1);
  Fly(kKullanici1, 3, false);
  EXPECT_EQ(g.Phase, kHareket);
  EXPECT_FALSE(f.Timer3.Enabled() || f.Timer1.Enabled());
}

// Keys that arrive while the last tick of a flight runs are handled in the
// miss's own pump: the Escape opens the menu, Down and Enter start a match
// from it. That match is not handed over as if it were the miss.
TEST_F(Outcome, AMatchStartedInsideTheMissesPumpIsNotHandedOver) {
  game.StartMode(0);
  bool inTick = false, posted = false;
  f.Timer1.OnTimer = [&] {
    inTick = true;
    f.Timer1Timer();
    inTick = false;
  };
  game.backend.onPoll = [&] {
    if (!inTick || f.Timer1.Enabled() || posted) return;
    posted = true;
    for (uint16_t key : {VK_ESCAPE, VK_DOWN, VK_RETURN})
      for (auto type : {Event::Type::KeyDown, Event::Type::KeyUp}) game.backend.PostEvent(Event::Key(type, key));
  };
  Fly(kKullanici1, 0, false);
  ASSERT_TRUE(posted);
  EXPECT_EQ(g.Phase, kKullanici);
  EXPECT_EQ(g.Turn, kKullanici1);
  EXPECT_EQ(g.MenuIndex, 1);
  EXPECT_EQ(f.Label2.Caption(), "Player 1");
  EXPECT_EQ(game.backend.Beeps(), 0);
}

TEST_F(Outcome, EveryWinnerIsNamedAndTheMatchEndsOnTheMenu) {
  for (auto [turn, mode, text] : std::vector<std::tuple<std::string, int16_t, std::string>>{
           {kKullanici1, 1, "Player 1 Won!"},
           {kKullanici2, 1, "Player 2 Won!"},
           {kBilgisayar1, 2, "Computer 1 Won!"},
           {kBilgisayar2, 2, "Computer 2 Won!"},
           {kBilgisayar2, 0, "Computer 2 Won!"}}) {
    game.StartMode(mode);
    const size_t boxes = game.backend.Boxes().size();
    Fly(turn, mode, true);
    ASSERT_EQ(game.backend.Boxes().size(), boxes + 1);
    EXPECT_EQ(game.backend.Boxes().back().text, text);
    EXPECT_EQ(g.Phase, kMenu);
    EXPECT_EQ(g.Level, 1);
  }
}

TEST_F(Outcome, TheHitEffectStopsTheMusicAndSoundsUnderTheWinnersBox) {
  game.StartMode(1);
  std::string sounding;
  game.backend.dismissAfter = [&](const HeadlessBackend::MessageBoxRecord&) {
    sounding = game.media.devices.count(game.media.Sounding()) ? game.media.devices[game.media.Sounding()].element : "";
    return 0;
  };
  Fly(kKullanici1, 1, true);
  EXPECT_EQ(sounding, data.File("hit.wav"));
}

TEST_F(Outcome, TheCampaignClimbsToLevelEightAndCongratulates) {
  game.StartMode(0);
  for (int level = 1; level <= 8; ++level) {
    ASSERT_EQ(g.Level, level);
    EXPECT_EQ(f.Caption(), "Tarvolen - Level " + std::to_string(level));
    EXPECT_EQ(f.Image4.Width(), (std::vector<int>{128, 100, 80, 64, 32, 16, 10, 3}[size_t(level - 1)]));
    Fly(kKullanici1, 0, true);
    if (level < 8) {
      EXPECT_EQ(g.Phase, kKullanici);
      EXPECT_EQ(g.Turn, kKullanici1);
      EXPECT_EQ(g.Angle, 0);
    }
  }
  EXPECT_EQ(g.Phase, kMenu);
  EXPECT_EQ(g.Level, 1);
  EXPECT_EQ(f.Caption(), "Tarvolen");
  const auto texts = Texts();
  ASSERT_EQ(texts.size(), 9u);
  for (int i = 0; i < 8; ++i) EXPECT_EQ(texts[size_t(i)], "Player 1 Won!");
  EXPECT_EQ(texts[8],
            "Congratulations!\r\rYou have completed all the levels of Tarvolen.\rThank you for playing...");
}

TEST_F(Outcome, AHitByComputerTwoEndsTheCampaignWhereItStood) {
  game.StartMode(0);
  Fly(kKullanici1, 0, true);
  ASSERT_EQ(g.Level, 2);
  Fly(kBilgisayar2, 0, true);
  EXPECT_EQ(Texts().back(), "Computer 2 Won!");
  EXPECT_EQ(g.Phase, kMenu);
  game.StartMode(0);
  EXPECT_EQ(g.Level, 1);
}

TEST_F(Outcome, AMissingHitEffectStillNamesTheWinner) {
  data.Remove("hit.wav");
  game.media.failing.insert(data.File("hit.wav"));
  game.StartMode(1);
  Fly(kKullanici2, 1, true);
  EXPECT_EQ(Texts(), (std::vector<std::string>{"Player 2 Won!"}));
  EXPECT_EQ(g.Phase, kMenu);
}

}  // namespace
}  // namespace tv
