#pragma once
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <iostream>
#include <map>
#include <string>
#include <vector>

#include "app/form1_layout.h"
#include "tests/e2e/x11_driver.h"

// The game's window as the end-to-end tests see it: the colours and places
// they look at, and a fixture with the real program started on its menu.
namespace tv::e2e {

inline constexpr uint32_t kRed = ToPixel(kRowHighlight), kRow = ToPixel(kRowColor), kBlack = 0x000000,
                          kSky = 0x11110F, kStar = 0xFFFF00, kBall = 0xFFF200;
inline constexpr int kRowX = kRowBounds[0].x + 8;  // inside every menu row, left of its caption
inline constexpr int kRowCaptionX = RowCentre(0).x;  // under the rows' captions
inline constexpr int kRowY[4] = {RowCentre(0).y, RowCentre(1).y, RowCentre(2).y, RowCentre(3).y};

class GameOnX : public ::testing::Test {
 protected:
  // Starts the program and waits for the menu. With TARVOLEN_E2E_JOURNAL_DIR
  // set, the program records its session there (one journal per test), so a
  // failing run can be replayed with `tarvolen --replay FILE`. `env` is added to its environment.
  void Start(std::vector<std::string> args = {}, const std::map<std::string, std::string>& env = {}) {
    const char* dir = std::getenv("TARVOLEN_E2E_JOURNAL_DIR");
    if (dir && *dir && journal_.empty()) {
      const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
      journal_ = std::string(dir) + "/" + test->test_suite_name() + "." + test->name() + ".journal";
      args.insert(args.end(), {"--record", journal_});
    }
    desk_.Launch(TARVOLEN_PROGRAM, env, args);
    auto w = desk_.WaitWindow("Tarvolen", 30s);
    ASSERT_TRUE(w) << "no window titled Tarvolen; stderr:\n" << desk_.Stderr();
    main_ = *w;
    ASSERT_TRUE(desk_.WaitPixel(main_.id, kRowX, kRowY[0], kRed, 20s)) << "the menu never showed";
  }

  // A failed test leaves the window's picture and the program's stderr behind.
  void TearDown() override {
    if (!HasFailure()) return;
    const std::string path = ::testing::TempDir() + "tarvolen_" +
                             ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".png";
    if (main_.id && desk_.Grab(main_.id).SavePng(path)) std::cerr << "the window's picture: " << path << "\n";
    std::cerr << "stderr:\n" << desk_.Stderr();
    if (!journal_.empty())
      std::cerr << "the session (complete once the program has ended): " << journal_ << "\nreplay: " << TARVOLEN_PROGRAM
                << " --replay " << journal_ << " --headless\n";
  }

  Desktop desk_;
  WindowInfo main_;
  std::string journal_;  // where the program records its session, if it does
};

}  // namespace tv::e2e
