// Not a check: writes the menu and the playfield as PNG files for a look by hand.
// Run with --gtest_also_run_disabled_tests --gtest_filter='*Screens*'.
#include <gtest/gtest.h>

#include <filesystem>

#include "platform/files/png.h"
#include "tests/support/game_harness.h"

namespace tv {
namespace {

TEST(Screens, DISABLED_SaveMenuAndPlayfield) {
  const std::string dir = std::filesystem::temp_directory_path().string();
  test::Game game;
  game.Start();
  game.Run(10);
  game.form->Surface().Update();
  ASSERT_EQ(SavePng(game.form->Surface().Framebuffer(), dir + "/tarvolen-menu.png"), 0);
  game.StartMode(0);
  game.backend.KeyDown(game.Now() + 5, VK_SPACE);
  game.Run(300);
  game.form->Surface().Update();
  ASSERT_EQ(SavePng(game.form->Surface().Framebuffer(), dir + "/tarvolen-play.png"), 0);
}

}  // namespace
}  // namespace tv
