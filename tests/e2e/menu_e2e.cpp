// The menu on a real X server: its rows and highlight, the keys and the pointer
// that move it, a match started and left again, and Exit.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iostream>

#include "tests/e2e/game_on_x.h"
#include "tests/e2e/process.h"
#include "tests/e2e/x11_driver.h"

namespace tv::e2e {
namespace {

// Row `lit` red, the other three in the rows' violet.
bool Highlighted(const Screenshot& s, int lit) {
  for (int row = 0; row < 4; ++row)
    if (s.At(kRowX, kRowY[row]) != (row == lit ? kRed : kRow)) return false;
  return true;
}

std::string RowColours(const Screenshot& s) {
  char text[64];
  std::snprintf(text, sizeof text, "%06X %06X %06X %06X", s.At(kRowX, kRowY[0]), s.At(kRowX, kRowY[1]),
                s.At(kRowX, kRowY[2]), s.At(kRowX, kRowY[3]));
  return text;
}

class MenuOnX : public GameOnX {
 protected:

  // Waits until exactly that row is lit.
  bool Lit(int row) {
    return desk_.WaitPicture(main_.id, [row](const Screenshot& s) { return Highlighted(s, row); });
  }

  void ExpectEndsCleanly() {
    auto status = desk_.WaitExit(5s);
    ASSERT_TRUE(status) << "still running 5 s after Exit";
    EXPECT_TRUE(status->Clean()) << Describe(*status);
    EXPECT_TRUE(WaitUntil([&] { return desk_.CountWindows("Tarvolen") == 0; }, 5s)) << "a window stayed";
  }

  void TearDown() override {
    if (HasFailure() && main_.id) std::cerr << "rows: " << RowColours(desk_.Grab(main_.id)) << "\n";
    GameOnX::TearDown();
  }
};

TEST_F(MenuOnX, OpensOnTheFirstRowAndTheArrowsMoveTheHighlightRoundTheRows) {
  ASSERT_NO_FATAL_FAILURE(Start());
  Screenshot s = desk_.Grab(main_.id);
  EXPECT_TRUE(Highlighted(s, 0)) << RowColours(s);
  EXPECT_EQ(s.At(40, 10), kBlack) << "the playfield's backdrop behind the menu";

  desk_.Key(main_.id, "Down");
  EXPECT_TRUE(Lit(1));
  desk_.Key(main_.id, "Up Up");
  EXPECT_TRUE(Lit(3)) << "Up from the first row goes round to Exit";
  desk_.Key(main_.id, "Down");
  EXPECT_TRUE(Lit(0)) << "Down from Exit goes round to the first row";
  // Keys of play do nothing here.
  desk_.Key(main_.id, "space Left Right a");
  desk_.Key(main_.id, "Down");
  EXPECT_TRUE(Lit(1));
  EXPECT_EQ(desk_.Grab(main_.id).At(40, 10), kBlack);
}

TEST_F(MenuOnX, PointerOverARowHighlightsItAndLeavingTheRowsKeepsIt) {
  ASSERT_NO_FATAL_FAILURE(Start());
  desk_.MoveMouse(main_.id, kRowCaptionX, kRowY[2]);
  EXPECT_TRUE(Lit(2));
  desk_.MoveMouse(main_.id, kRowCaptionX, kRowY[3]);
  EXPECT_TRUE(Lit(3));
  desk_.MoveMouse(main_.id, 5, 5);
  desk_.Key(main_.id, "Up");  // a marker: the move off the rows has been handled before it
  EXPECT_TRUE(Lit(2));
}

TEST_F(MenuOnX, TwoPlayerRowShowsThePlayfieldAndEscapeBringsTheMenuBack) {
  ASSERT_NO_FATAL_FAILURE(Start());
  desk_.Key(main_.id, "Down");
  ASSERT_TRUE(Lit(1));
  desk_.Key(main_.id, "Return");
  ASSERT_TRUE(desk_.WaitPixel(main_.id, 40, 10, kSky, 20s)) << "no backdrop";
  // The set-up's star, drawn straight onto the window over the backdrop.
  EXPECT_TRUE(desk_.WaitPicture(main_.id, [](const Screenshot& s) {
    return s.AnyIn(510, 13, 61, 51, kStar);
  })) << "no star";
  Screenshot field = desk_.Grab(main_.id);
  EXPECT_EQ(field.At(540, 13), kStar) << "the star's top point";
  for (int row = 0; row < 4; ++row) {
    EXPECT_NE(field.At(kRowX, kRowY[row]), kRed) << "row " << row << " still shown";
    EXPECT_NE(field.At(kRowX, kRowY[row]), kRow) << "row " << row << " still shown";
  }

  desk_.Key(main_.id, "Escape");
  EXPECT_TRUE(desk_.WaitPicture(main_.id, [](const Screenshot& s) {
    return Highlighted(s, 0) && s.At(40, 10) == kBlack && !s.AnyIn(510, 13, 61, 51, kStar);
  })) << "the menu did not come back on its first row, clear of the playfield";
  EXPECT_EQ(desk_.CountWindows("Tarvolen"), 1);
}

// Escape queued behind the Enter that starts a match: the menu comes back whole,
// with no playfield left over it and no empty box.
TEST_F(MenuOnX, EnterAndEscapeTogetherLeaveAWholeMenu) {
  ASSERT_NO_FATAL_FAILURE(Start());
  desk_.KeysAtOnce(main_.id, "Return Escape");
  desk_.Key(main_.id, "Down");  // a marker: both keys before it have been handled
  EXPECT_TRUE(desk_.WaitPicture(main_.id, [](const Screenshot& s) {
    return Highlighted(s, 1) && s.At(40, 10) == kBlack && !s.AnyIn(510, 13, 61, 51, kStar);
  })) << "not the menu with its second row lit";
  EXPECT_EQ(desk_.CountWindows("Tarvolen"), 1) << "a message box opened";
}

// The pointer crossing another row while Enter starts the campaign does not
// change the match: its first miss hands the turn to the computer.
TEST_F(MenuOnX, APointerMoveDuringTheStartLeavesTheModeAlone) {
  ASSERT_NO_FATAL_FAILURE(Start());
  desk_.KeysAtOnce(main_.id, "Return", std::make_pair(kRowCaptionX, kRowY[3]));
  ASSERT_TRUE(desk_.WaitPixel(main_.id, 40, 10, kSky, 20s)) << "no playfield";
  ASSERT_TRUE(WaitUntil([&] { return !desk_.Windows("Tarvolen - Level 1").empty(); }, 10s))
      << "not the campaign's caption";
  // A weak shot drops by its launcher; then the computer's ball crosses the field.
  desk_.Key(main_.id, "space");
  EXPECT_TRUE(desk_.WaitPicture(main_.id, [](const Screenshot& s) {
    for (int y = 0; y < 403; ++y)
      for (int x = 60; x < 430; ++x)
        if (s.At(x, y) == kBall) return true;
    return false;
  }, 20s)) << "the computer never fired after Player 1's miss";
}

// Even where libjpeg cannot be loaded (files that are no library, found first),
// where a mode gives the error box instead of a match and the menu stays.
TEST_F(MenuOnX, EnterOnExitEndsTheProgram) {
  for (const char* name : {"/libjpeg.so.62", "/libjpeg.so"}) std::ofstream(desk_.TempDir() + name) << "none";
  ASSERT_NO_FATAL_FAILURE(Start({}, {{"LD_LIBRARY_PATH", desk_.TempDir()}}));
  desk_.Key(main_.id, "Return");
  auto box = desk_.WaitOtherWindow("Tarvolen", main_.id, 20s);
  ASSERT_TRUE(box && desk_.WaitFocused(box->id)) << desk_.Stderr();
  desk_.Key(box->id, "Return");
  desk_.Key(main_.id, "Up");
  ASSERT_TRUE(Lit(3));
  desk_.Key(main_.id, "Return");
  ExpectEndsCleanly();
}

TEST_F(MenuOnX, ClickOnExitEndsTheProgram) {
  ASSERT_NO_FATAL_FAILURE(Start());
  desk_.Click(main_.id, kRowCaptionX, kRowY[3]);
  ExpectEndsCleanly();
}

}  // namespace
}  // namespace tv::e2e
