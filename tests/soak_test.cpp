// Many whole matches in virtual time: every one ends in a winner, and the
// game's invariants hold after every event.
#include <gtest/gtest.h>

#include "tests/support/game_harness.h"

namespace tv {
namespace {

struct Soak : ::testing::Test {
  test::Game game;
  TForm1& f = *game.form;
  GameState& g = game.state;
  int flightsRunning = 0;
  int maxFlights = 0;

  void SetUp() override {
    // Check after every flight tick, computer tick and key.
    f.Timer1.OnTimer = [this] {
      ++flightsRunning;
      maxFlights = std::max(maxFlights, flightsRunning);
      f.Timer1Timer();
      --flightsRunning;
    };
    game.Start();
  }

  void CheckInvariants() {
    const bool flying = f.Timer1.Enabled();
    ASSERT_EQ(flying, g.Phase == kHareket && !game.backend.OpenBoxes()) << g.Phase;
    if (g.Phase == kMenu) {
      ASSERT_FALSE(f.Timer1.Enabled() || f.Timer2.Enabled() || f.Timer3.Enabled());
      ASSERT_FALSE(f.Image2.Visible());
    }
    if (f.Timer3.Enabled()) {
      ASSERT_EQ(g.Phase, kBilgisayar);
    }
    ASSERT_LE(maxFlights, 1);
  }

  // Runs until the menu is back, checking every few milliseconds of virtual time.
  void PlayUntilMenu(uint64_t limitMs) {
    const uint64_t end = game.Now() + limitMs;
    while (g.Phase != kMenu && game.Now() < end) {
      game.Run(5);
      CheckInvariants();
      if (HasFatalFailure()) return;
    }
  }
};

TEST_F(Soak, ComputerMatchesAlwaysEndInAWinner) {
  for (uint64_t seed = 1; seed <= 400; ++seed) {
    game.backend.SetPerformanceCounter(seed * 0x2545F4914F6CDD1Dull);
    const size_t boxes = game.backend.Boxes().size();
    game.StartMode(2);
    PlayUntilMenu(30 * 60 * 1000);
    ASSERT_EQ(g.Phase, kMenu) << "seed " << seed << " never ended";
    ASSERT_EQ(game.backend.Boxes().size(), boxes + 1);
    const std::string& text = game.backend.Boxes().back().text;
    EXPECT_TRUE(text == "Computer 1 Won!" || text == "Computer 2 Won!") << text;
  }
}

// A scripted player who aims along the line and charges for a seeded time.
TEST_F(Soak, CampaignsAgainstTheComputerEndOnTheMenu) {
  uint32_t rng = 7;
  auto next = [&rng](uint32_t n) {
    rng = rng * 1664525u + 1013904223u;
    return (uint64_t(rng) * n) >> 32;
  };
  for (int campaign = 0; campaign < 40; ++campaign) {
    game.backend.SetPerformanceCounter(campaign * 977 + 3);
    game.StartMode(0);
    const uint64_t end = game.Now() + 60 * 60 * 1000;
    while (g.Phase != kMenu && game.Now() < end) {
      if (g.Phase == kKullanici && g.Turn == kKullanici1 && !f.Timer2.Enabled()) {
        for (uint32_t i = 0, n = uint32_t(next(10)); i < n; ++i) game.Key(VK_UP, i);
        game.backend.KeyDown(game.Now() + 10, VK_SPACE);
        game.backend.KeyUp(game.Now() + 10 + 400 + next(600), VK_SPACE);
      }
      game.Run(5);
      CheckInvariants();
      if (HasFatalFailure()) return;
    }
    ASSERT_EQ(g.Phase, kMenu);
    const std::string& text = game.backend.Boxes().back().text;
    EXPECT_TRUE(text == "Computer 2 Won!" || text.starts_with("Congratulations!")) << text;
  }
}

}  // namespace
}  // namespace tv
