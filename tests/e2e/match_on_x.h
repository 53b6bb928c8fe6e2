#pragma once
// A match on a real X server as the end-to-end tests see it: where the balls
// rest and fly, the power bar, the winner's box; a fixture that starts a row
// of the menu and plays shots. Shared by the Linux and the Windows program's tests.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "tests/e2e/game_on_x.h"
#include "tests/e2e/x11_driver.h"

namespace tv::e2e {

constexpr int kFieldBottom = 403;                          // the line under the playfield
constexpr int kBarY = 425, kBarLeft = 9, kBarRight = 191;  // the power bar's inner line
constexpr uint32_t kBarFill = 0x0A246A;                    // the power bar's fill (clHighlight)

struct Spot {
  int x = 0, y = 0;
};

// The balls' yellow, wherever they are on the playfield.
inline std::vector<Spot> BallInk(const Screenshot& s) {
  std::vector<Spot> ink;
  for (int y = 0; y < std::min(kFieldBottom, s.height); ++y)
    for (int x = 0; x < s.width; ++x)
      if (s.At(x, y) == kBall) ink.push_back({x, y});
  return ink;
}

// The columns of a resting ball's yellow at the start of a match: the left
// launcher stands at x 5 and the right one, at its level-6 size, at x 565.
constexpr std::pair<int, int> kLeftRestX{23, 27}, kRightRestX{557, 561};

inline bool AllWithin(const std::vector<Spot>& ink, std::pair<int, int> columns) {
  return !ink.empty() && std::all_of(ink.begin(), ink.end(),
                                     [&](Spot p) { return p.x >= columns.first && p.x <= columns.second; });
}

// Where the balls rest once a match is set up: each on its launcher's ring,
// the left one pointing right, the right one pointing left.
struct Rest {
  std::vector<Spot> left, right;
};

inline Rest RestingBalls(const Screenshot& s) {
  Rest rest;
  for (Spot p : BallInk(s)) (p.x < s.width / 2 ? rest.left : rest.right).push_back(p);
  return rest;
}

inline int Top(const std::vector<Spot>& ink) {
  int top = kFieldBottom;
  for (Spot p : ink) top = std::min(top, p.y);
  return top;
}

enum class Flight { kNone, kLeft, kRight };

// A ball is in flight when there is ball ink well away from both resting
// places (a ball turning on its ring stays within its diameter) while the
// other ball still rests, whole, where it was.
inline Flight InFlight(const Rest& rest, const Screenshot& s) {
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

inline std::string Repeat(const std::string& key, int times) {
  std::string keys;
  for (int i = 0; i < times; ++i) keys += key + " ";
  return keys;
}

inline bool StarShown(const Screenshot& s) { return s.AnyIn(510, 13, 61, 51, kStar); }

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

  // Computer 1 fires, and after its miss Computer 2; or a hit ends the match
  // first, and its box leads back to the menu.
  void ComputersTakeTurns() {
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
  }

  void CloseCleanly() {
    desk_.Close(main_.id);
    auto status = desk_.WaitExit(10s);
    ASSERT_TRUE(status) << "still running 10 s after the close request";
    EXPECT_TRUE(status->Clean()) << Describe(*status);
  }

  Rest rest_;
};

}  // namespace tv::e2e
