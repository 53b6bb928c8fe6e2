// The game's numeric helpers against values worked out by hand.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "game/state.h"

namespace tv {
namespace {

TEST(RandomBelow, FollowsTheLinearCongruentialGenerator) {
  GameState g;
  ReseedRandom(g, 0);
  std::vector<uint32_t> got;
  for (uint32_t n : {100u, 100u, 100u, 30u, 286u, 1u << 31}) got.push_back(RandomBelow(g, n));
  EXPECT_EQ(got, (std::vector<uint32_t>{0, 3, 86, 6, 78, 1442366881}));
  // Only the counter's low 32 bits seed it.
  ReseedRandom(g, 0xABCD'0000'DEAD'BEEFull);
  EXPECT_EQ(g.RandSeed, 0xDEADBEEFu);
  EXPECT_EQ(RandomBelow(g, 100), 37u);
  EXPECT_EQ(RandomBelow(g, 30), 5u);
  EXPECT_EQ(RandomBelow(g, 174), 102u);
}

TEST(DegToRad, UsesThreePointOneFourOneFiveNineThreeNotPi) {
  EXPECT_NEAR(double(DegToRad(180) - 3.141593L), 0.0, 1e-18);
  EXPECT_NEAR(double(DegToRad(180)) - std::numbers::pi, 3.4641e-7, 1e-10);
  // The small errors the placement and the flight round away.
  EXPECT_NEAR(double(cosl(DegToRad(90))), -1.7e-7, 0.05e-7);
  EXPECT_NEAR(double(sinl(DegToRad(180))), -3.5e-7, 0.05e-7);
  EXPECT_EQ(DegToRad(-5), -DegToRad(5));
}

TEST(RoundToInt, RoundsHalvesToEvenAndKeepsTheLow32Bits) {
  EXPECT_EQ(RoundToInt(2.5L), 2);
  EXPECT_EQ(RoundToInt(3.5L), 4);
  EXPECT_EQ(RoundToInt(-2.5L), -2);
  EXPECT_EQ(RoundToInt(1.5L), 2);
  EXPECT_EQ(RoundToInt(0.4999999L), 0);
  EXPECT_EQ(RoundToInt(4294967296.0L + 7), 7);
  EXPECT_EQ(RoundToInt(2147483648.0L), INT32_MIN);
}

}  // namespace
}  // namespace tv
