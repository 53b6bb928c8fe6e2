// Message boxes opened and dismissed as fast as a player can, on one CPU, while
// another thread keeps posting events: the program must survive every cycle.
// TARVOLEN_BOX_CYCLES sets how many keys are sent (default 3000, about ten seconds; tens of thousands by hand).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <sstream>

#include "tests/e2e/process.h"
#include "tests/e2e/x11_driver.h"

namespace tv::e2e {
namespace {

int Cycles() {
  const char* v = std::getenv("TARVOLEN_BOX_CYCLES");
  return v && std::atoi(v) > 0 ? std::atoi(v) : 3000;
}

int CountLines(const std::string& text, const std::string& prefix) {
  std::istringstream in(text);
  int n = 0;
  for (std::string l; std::getline(in, l);) n += l.rfind(prefix, 0) == 0;
  return n;
}

TEST(BoxStress, ThousandsOfBoxCyclesNeverEndTheProgram) {
  Desktop desk;
  // Pinned to one CPU: the poster thread and the loop then interleave at
  // every possible point, which is what made the old race show.
  desk.Launch("taskset", {}, {"-c", "0", TARVOLEN_SDL_PROBE, "Storm"});
  auto main = desk.WaitWindow("Storm", 20s);
  ASSERT_TRUE(main) << desk.Stderr();
  ASSERT_TRUE(desk.WaitStdoutLine("Ready", 10s));
  desk.Key(main->id, "s");
  auto box = desk.WaitOtherWindow("Storm", main->id);
  ASSERT_TRUE(box) << desk.Stderr();
  ASSERT_TRUE(desk.WaitFocused(box->id));

  // xdotool runs of up to 2000 keys: a pointer move over the box or the
  // window, then Return to whatever has the keyboard, the next box as a rule.
  const int cycles = Cycles();
  for (int from = 0; from < cycles && desk.Running(); from += 2000) {
    SpawnOptions o;
    o.argv = {"xdotool"};
    for (int i = from; i < std::min(cycles, from + 2000); ++i) {
      const bool overBox = i % 2 == 0;
      const int x = overBox ? box->x + box->width / 2 : main->x + 20 + i % 200;
      const int y = overBox ? box->y + 10 + i % 20 : main->y + 20;
      for (std::string a : {std::string("mousemove"), std::to_string(x), std::to_string(y), std::string("key"),
                            std::string("--delay"), std::string("2"), std::string("Return")})
        o.argv.push_back(a);
    }
    o.env = {"DISPLAY=" + desk.DisplayName()};
    auto sent = WaitChild(Spawn(o), Ms(600000));
    ASSERT_TRUE(sent && sent->Clean());
  }

  // A second for what is still queued (and for a death in flight to happen).
  desk.WaitExit(1s);
  ASSERT_TRUE(desk.Running()) << Describe(*desk.WaitExit(0ms)) << "\n" << desk.Stderr();
  const int dismissed = CountLines(desk.Stdout(), "DialogDismissed");
  std::cout << "box cycles survived: " << dismissed << " of " << cycles << " keys\n";
  // Many keys find a box; the others land in the window while the next box maps.
  EXPECT_GT(dismissed, cycles / 5);

  desk.Close(main->id);
  auto status = desk.WaitExit(10s);
  ASSERT_TRUE(status) << "the program did not quit";
  EXPECT_TRUE(status->Clean()) << Describe(*status) << "\n" << desk.Stderr();
}

}  // namespace
}  // namespace tv::e2e
