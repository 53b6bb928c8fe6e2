// Balls on the rings of their launchers.
#include <gtest/gtest.h>

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

TEST_F(Placement, LeftBallFollowsTheWorkedTable) {
  f.Image1.SetBounds({100, 200, 16, 16});
  struct Row {
    int angle, dl, dt;
  };
  for (Row r : {Row{0, 17, 4}, Row{45, 13, -5}, Row{90, 4, -9}, Row{135, -5, -5}, Row{180, -9, 4},
                Row{270, 4, 17}, Row{-5, 17, 5}}) {
    Aim(kKullanici1, r.angle);
    EXPECT_EQ(f.Image2.Left(), 100 + r.dl) << r.angle;
    EXPECT_EQ(f.Image2.Top(), 200 + r.dt) << r.angle;
  }
}

TEST_F(Placement, AnglesOutsideOneTurnAreUsedUnchanged) {
  f.Image1.SetBounds({100, 200, 16, 16});
  Aim(kBilgisayar1, 360 + 45);
  EXPECT_EQ(f.Image2.Left(), 113);
  EXPECT_EQ(f.Image2.Top(), 195);
  Aim(kKullanici1, -5);
  EXPECT_EQ(f.Image2.Top(), 205);  // one pixel lower than at 0
  Aim(kKullanici1, 0);
  EXPECT_EQ(f.Image2.Top(), 204);
}

TEST_F(Placement, RightBallOnTheBigAndTheTinyTarget) {
  f.Image4.SetBounds({453, 150, 128, 128});
  Aim(kKullanici2, 180);
  EXPECT_EQ(f.Image5.Left(), 453 - 9);
  EXPECT_EQ(f.Image5.Top(), 150 + 60);
  f.Image4.SetBounds({578, 300, 3, 3});  // level 8: ring 6, half-width 1.5 rounds to 2
  Aim(kBilgisayar2, 180);
  EXPECT_EQ(f.Image5.Left(), 578 - 8);
  EXPECT_EQ(f.Image5.Top(), 300 - 2);
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
