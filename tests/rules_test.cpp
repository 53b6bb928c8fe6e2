// The campaign's level table and the menu's row arithmetic, as plain functions.
#include <gtest/gtest.h>

#include "game/levels.h"
#include "game/menu_rows.h"

namespace tv {
namespace {

TEST(Levels, OnlyOneToEightWithClearUpperBitsLoadAPicture) {
  EXPECT_FALSE(LevelPictureNumber(0));
  EXPECT_EQ(LevelPictureNumber(1), 1);
  EXPECT_EQ(LevelPictureNumber(8), 8);
  EXPECT_FALSE(LevelPictureNumber(9));
  EXPECT_FALSE(LevelPictureNumber(-1));
  EXPECT_FALSE(LevelPictureNumber((int64_t(1) << 32) | 3));
  // The campaign ends after level 8; the whole 64-bit value wraps.
  EXPECT_TRUE(CampaignGoesOn(NextLevel(7)));
  EXPECT_FALSE(CampaignGoesOn(NextLevel(8)));
  EXPECT_EQ(NextLevel(INT64_MAX), INT64_MIN);
  // The target's Left in a 586-pixel window for the level sides 128 and 3.
  EXPECT_EQ(TargetLeft(586, 128), 453);
  EXPECT_EQ(TargetLeft(586, 3), 578);
}

TEST(MenuRows, TheHighlightWrapsAndAnyOtherIndexLightsExit) {
  EXPECT_EQ(RowAbove(0), 3);
  EXPECT_EQ(RowBelow(3), 0);
  for (int16_t i = 0; i < 3; ++i) {
    EXPECT_EQ(RowBelow(i), i + 1);
    EXPECT_EQ(RowAbove(int16_t(i + 1)), i);
    EXPECT_EQ(LitRow(i), i);
  }
  for (int16_t i : {int16_t(3), int16_t(-1), int16_t(77)}) EXPECT_EQ(LitRow(i), 3);
}

}  // namespace
}  // namespace tv
