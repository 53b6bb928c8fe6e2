// Matches on a real X server: the computer playing both sides, a human's shot,
// and a hit that ends a match with the winner's box and the menu.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <iostream>
#include <string>
#include <utility>
#include <vector>

#include "tests/e2e/game_on_x.h"
#include "tests/e2e/process.h"
#include "tests/e2e/x11_driver.h"

namespace tv::e2e {
namespace {

constexpr int kFieldBottom = 403;                          // the line under the playfield
constexpr int kBarY = 425, kBarLeft = 9, kBarRight = 191;  // the power bar's inner line
constexpr uint32_t kBarFill = 0x0A246A;                    // the power bar's fill (clHighlight)

struct Spot {
  int x = 0, y = 0;
};

// The balls' yellow, wherever they are on the playfield.
std::vector<Spot> BallInk(const Screenshot& s) {
  std::vector<Spot> ink;
  for (int y = 0; y < std::min(kFieldBottom, s.height); ++y)
    for (int x = 0; x < s.width; ++x)
      if (s.At(x, y) == kBall) ink.push_back({x, y});
  return ink;
}

// The columns of a resting ball's yellow at the start of a match: the left
// launcher stands at x 5 and the right one, at its level-6 size, at x 565.
constexpr std::pair<int, int> kLeftRestX{23, 27}, kRightRestX{557, 561};

bool AllWithin(const std::vector<Spot>& ink, std::pair<int, int> columns) {
  return !ink.empty() && std::all_of(ink.begin(), ink.end(),
                                     [&](Spot p) { return p.x >= columns.first && p.x <= columns.second; });
}

// Where the balls rest once a match is set up: each on its launcher's ring,
// the left one pointing right, the right one pointing left.
struct Rest {
  std::vector<Spot> left, right;
};

Rest RestingBalls(const Screenshot& s) {
  Rest rest;
  for (Spot p : BallInk(s)) (p.x < s.width / 2 ? rest.left : rest.right).push_back(p);
  return rest;
}

int Top(const std::vector<Spot>& ink) {
  int top = kFieldBottom;
  for (Spot p : ink) top = std::min(top, p.y);
  return top;
}

enum class Flight { kNone, kLeft, kRight };

// A ball is in flight when there is ball ink well away from both resting
// places (a ball turning on its ring stays within its diameter) while the
// other ball still rests, whole, where it was.
Flight InFlight(const Rest& rest, const Screenshot& s) {
  auto away = [&](Spot p) {
    auto far = [&](Spot q) { return std::abs(p.x - q.x) > 40 || std::abs(p.y - q.y) > 40; };
    return std::all_of(rest.left.begin(), rest.left.end(), far) &&
           std::all_of(rest.right.begin(), rest.right.end(), far);
  };
  auto ink = BallInk(s);
  if (!std::any_of(ink.begin(), ink.end(), away)) return Flight::kNone;
  auto whole = [&](const std::vector<Spot>& at) {
    return std::all_of(at.begin(), at.end(), [&](Spot p) { return s.At(p.x, p.y) == kBall; });
  };
  const bool leftRests = whole(rest.left), rightRests = whole(rest.right);
  if (rightRests && !leftRests) return Flight::kLeft;
  if (leftRests && !rightRests) return Flight::kRight;
  return Flight::kNone;
}

std::string Repeat(const std::string& key, int times) {
  std::string keys;
  for (int i = 0; i < times; ++i) keys += key + " ";
  return keys;
}

bool StarShown(const Screenshot& s) { return s.AnyIn(510, 13, 61, 51, kStar); }

class MatchOnX : public GameOnX {
 protected:

  // Highlights a row with the keys, starts it with Enter, and waits until the
  // set-up has drawn the star: both balls then rest on their launchers.
  void StartRow(int row) {
    if (row > 0) {
      desk_.Key(main_.id, Repeat("Down", row));
      ASSERT_TRUE(desk_.WaitPixel(main_.id, kRowX, kRowY[row], kRed)) << "row " << row << " not highlighted";
    }
    desk_.Key(main_.id, "Return");
    ASSERT_TRUE(desk_.WaitPicture(
        main_.id, [](const Screenshot& s) { return s.At(40, 10) == kSky && StarShown(s); }, 20s))
        << "the playfield never showed";
    // The computer may already be aiming: wait until both balls are seen at rest.
    ASSERT_TRUE(desk_.WaitPicture(main_.id, [&](const Screenshot& s) {
      rest_ = RestingBalls(s);
      return AllWithin(rest_.left, kLeftRestX) && AllWithin(rest_.right, kRightRestX);
    })) << "the balls are not where they rest at the start of a match";
  }

  // Charges with Space until the power bar is full, then lets go.
  void FullShot() {
    desk_.KeyDown(main_.id, "space");
    EXPECT_TRUE(desk_.WaitPixel(main_.id, kBarLeft, kBarY, kBarFill))
        << "the power bar never started to fill";
    // Full at 100, which is also what a longer charge fires with.
    EXPECT_TRUE(desk_.WaitPixel(main_.id, kBarRight, kBarY, kBarFill, 20s))
        << "the power bar never filled up";
    desk_.KeyUp(main_.id, "space");
  }

  // The winner's box comes up over the window; Enter on it brings the menu back.
  void WinnerBoxLeadsToTheMenu(Ms timeout) {
    auto box = desk_.WaitOtherWindow("Tarvolen", main_.id, timeout);
    ASSERT_TRUE(box) << "no winner's message box";
    ASSERT_TRUE(desk_.WaitFocused(box->id)) << "the box did not take the keyboard";
    desk_.Key(box->id, "Return");
    EXPECT_TRUE(WaitUntil([&] { return desk_.CountWindows("Tarvolen") == 1; }, 10s)) << "the box stayed";
    EXPECT_TRUE(desk_.WaitPicture(main_.id, [](const Screenshot& s) {
      return s.At(kRowX, kRowY[0]) == kRed && s.At(40, 10) == kBlack;
    })) << "the menu did not come back";
  }

  void CloseCleanly() {
    desk_.Close(main_.id);
    auto status = desk_.WaitExit(10s);
    ASSERT_TRUE(status) << "still running 10 s after the close request";
    EXPECT_TRUE(status->Clean()) << Describe(*status);
  }

  Rest rest_;
};

// Computer 1 waits a second and fires; a miss hands the turn to Computer 2,
// which fires in its turn. Hits are chance: a winner may end the match before
// both have fired, and then its box leads back to the menu.
TEST_F(MatchOnX, ComputersTakeTurnsFiring) {
  ASSERT_NO_FATAL_FAILURE(Start());
  ASSERT_NO_FATAL_FAILURE(StartRow(2));
  bool left = false, right = false, box = false;
  WaitUntil(
      [&] {
        // The box first: the ball that hit is still seen where it hit.
        box = desk_.CountWindows("Tarvolen") > 1;
        Flight f = InFlight(rest_, desk_.Grab(main_.id));
        left |= f == Flight::kLeft;
        right |= f == Flight::kRight;
        return (left && right) || box;
      },
      45s);
  if (box) {
    EXPECT_TRUE(left || right) << "a winner without a shot";
    ASSERT_NO_FATAL_FAILURE(WinnerBoxLeadsToTheMenu(10s));
  } else {
    EXPECT_TRUE(left) << "Computer 1 never fired";
    EXPECT_TRUE(right) << "Computer 2 never fired";
  }
  CloseCleanly();
}

// A measurement, run by hand: --gtest_also_run_disabled_tests --gtest_filter='*UntilAWinner*'.
// The computer hits by chance: a match lasts 16 s on average, but one in a
// hundred takes over a minute, too long and too uncertain for the suite.
TEST_F(MatchOnX, DISABLED_ComputerAgainstComputerPlaysUntilAWinner) {
  ASSERT_NO_FATAL_FAILURE(Start());
  auto t0 = std::chrono::steady_clock::now();
  ASSERT_NO_FATAL_FAILURE(StartRow(2));
  ASSERT_TRUE(WaitUntil([&] { return desk_.CountWindows("Tarvolen") > 1 || !desk_.Running(); }, 300s));
  ASSERT_TRUE(desk_.Running()) << "the program ended: " << Describe(*desk_.WaitExit(0ms));
  double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
  std::cout << "computer match: " << seconds << " s to the winner's box\n";
  RecordProperty("match_seconds", std::to_string(seconds));
  ASSERT_NO_FATAL_FAILURE(WinnerBoxLeadsToTheMenu(10s));
  CloseCleanly();
}

TEST_F(MatchOnX, HeldSpaceFillsTheBarAndItsReleaseFiresTheLeftBall) {
  ASSERT_NO_FATAL_FAILURE(Start());
  ASSERT_NO_FATAL_FAILURE(StartRow(1));
  desk_.Key(main_.id, "Up");
  ASSERT_NO_FATAL_FAILURE(FullShot());
  EXPECT_TRUE(desk_.WaitPicture(main_.id, [&](const Screenshot& s) {
    return InFlight(rest_, s) == Flight::kLeft;
  })) << "the left ball did not fly";
  CloseCleanly();
}

// Player 1 slides the launcher under (or over) the other one and fires straight
// at it: a hit whatever heights the set-up chose.
TEST_F(MatchOnX, StraightHitShowsTheWinnerAndReturnsToTheMenu) {
  ASSERT_NO_FATAL_FAILURE(Start());
  ASSERT_NO_FATAL_FAILURE(StartRow(1));
  // A resting ball's ink starts 5 rows below its launcher's top.
  const int leftTop = Top(rest_.left), rightTop = Top(rest_.right);

  // 18 steps of 5 degrees aim straight up or down; 112 steps of 5 pixels take
  // the left launcher from x 5 to the right launcher's x 565.
  const bool up = rightTop <= leftTop;
  desk_.Key(main_.id, "a " + Repeat(up ? "Up" : "Down", 18));
  for (int chunk = 0; chunk < 4; ++chunk) desk_.Key(main_.id, Repeat("Right", 28));
  // The ball then sits straight above or below its launcher's middle, unless
  // the right launcher, drawn over it, hides it.
  const int ballX = 572, ballY = up ? leftTop - 11 : leftTop + 15;
  const bool hidden = ballY >= rightTop - 5 && ballY < rightTop + 11;
  ASSERT_TRUE(hidden || desk_.WaitPixel(main_.id, ballX, ballY, kBall)) << "not aimed at the right launcher";
  ASSERT_NO_FATAL_FAILURE(FullShot());
  ASSERT_NO_FATAL_FAILURE(WinnerBoxLeadsToTheMenu(20s));
  CloseCleanly();
}

}  // namespace
}  // namespace tv::e2e
