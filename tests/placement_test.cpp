// Balls on the rings of their launchers.
#include <gtest/gtest.h>

#include "game/placement.h"
#include "tests/support/game_harness.h"

namespace tv {
namespace {

struct Placement : ::testing::Test {
  test::Game game;
  TForm1& f = *game.form;
  GameState& g = game.state;

  void Aim(const std::string& turn, int32_t angle) {
    g.Turn = turn;
    g.Angle = angle;
    f.ToplariDuzelt(0);
  }
};

// A 7 x 12 ball on the ring of a 16-pixel launcher at (100, 200), worked by hand.
TEST(BallOnRing, FollowsTheWorkedTable) {
  struct Row {
    int angle, dl, dt;
  };
  for (Row r : {Row{0, 17, 4}, Row{45, 13, -5}, Row{90, 4, -9}, Row{135, -5, -5}, Row{180, -9, 4},
                Row{270, 4, 17}, Row{-5, 17, 5}, Row{360 + 45, 13, -5}})
    EXPECT_EQ(BallOnRing({100, 200, 16, 16}, 7, 12, r.angle), (Spot{100 + r.dl, 200 + r.dt})) << r.angle;
}

TEST(BallOnRing, OnTheBigAndTheTinyTarget) {
  EXPECT_EQ(BallOnRing({453, 150, 128, 128}, 7, 12, 180), (Spot{453 - 9, 150 + 60}));
  // Level 8: ring 6, half-width 1.5 rounds to 2.
  EXPECT_EQ(BallOnRing({578, 300, 3, 3}, 7, 12, 180), (Spot{578 - 8, 300 - 2}));
}

TEST_F(Placement, ResetPutsBothBallsAtTheirStartDirectionsAndSetsTheFiringSidesAngle) {
  f.Image1.SetBounds({5, 300, 16, 16});
  f.Image4.SetBounds({565, 200, 16, 16});
  for (const auto& [turn, angle] : std::vector<std::pair<std::string, int>>{
           {kKullanici1, 0}, {kBilgisayar1, 0}, {kKullanici2, 180}, {kBilgisayar2, 180}, {"", 77}}) {
    g.Turn = turn;
    g.Angle = 77;
    f.Image2.SetBounds({0, 0, 7, 12});
    f.Image5.SetBounds({0, 0, 7, 12});
    f.ToplariDuzelt(1);
    EXPECT_EQ(g.Angle, angle) << turn;
    EXPECT_EQ(f.Image2.Left(), 22);
    EXPECT_EQ(f.Image2.Top(), 304);
    EXPECT_EQ(f.Image5.Left(), 556);
    EXPECT_EQ(f.Image5.Top(), 204);
  }
}

TEST_F(Placement, AnyOtherArgumentMovesOnlyTheFiringSidesBall) {
  f.Image1.SetBounds({5, 300, 16, 16});
  f.Image4.SetBounds({565, 200, 16, 16});
  f.Image5.SetBounds({1, 2, 7, 12});
  Aim(kKullanici1, 90);
  EXPECT_EQ(f.Image5.Left(), 1);
  EXPECT_EQ(f.Image5.Top(), 2);
  f.Image2.SetBounds({3, 4, 7, 12});
  Aim(kKullanici2, 90);
  EXPECT_EQ(f.Image2.Left(), 3);
  Aim("", 90);
  EXPECT_EQ(f.Image5.Left(), 565 + 4);
  // A slid launcher carries its ball.
  f.Image4.SetLeft(500);
  Aim(kBilgisayar2, 180);
  EXPECT_EQ(f.Image5.Left(), 491);
}

}  // namespace
}  // namespace tv
