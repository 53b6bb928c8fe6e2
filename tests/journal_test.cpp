// The session journal: a recorded session replayed on a fresh program ends in
// the same state and the same picture, and a journal that is not one is refused.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <random>
#include <sstream>

#if !defined(_WIN32)
#include <sys/stat.h>
#include <sys/wait.h>
#endif

#include "app/form1.h"
#include "platform/toolkit/application.h"
#include "platform/headless/headless_backend.h"
#include "platform/toolkit/journal.h"
#include "tests/support/fake_media_control.h"
#include "tests/support/game_harness.h"

namespace tv {
namespace {

std::string Describe(const GameState& g) {
  std::ostringstream s;
  s.precision(17);
  s << g.Phase << " " << g.Turn << " row " << g.MenuIndex << " level " << g.Level << " power " << g.Power << " angle "
    << g.Angle << " gravity " << g.Gravity << " t " << g.FlightTime << " d " << g.DeltaX << "," << g.DeltaY
    << " launch " << g.LaunchLeft << "," << g.LaunchTop << " free " << int(g.FreeMove) << " seed " << g.RandSeed;
  return s.str();
}

struct Outcome {
  std::string state;
  Bitmap picture;
  size_t mediaCommands = 0;
};

// One program on `b` from start-up; `drive` runs it.
template <class Drive>
Outcome RunProgram(Backend& b, Drive drive) {
  b.CreateMainWindow(TForm1::kClientWidth, TForm1::kClientHeight, " ", ArgbImage{});
  TApplication app(b);
  GameState state;
  test::FakeMediaControl media;
  TForm1 form(app, state, media, TARVOLEN_DATA_DIR);
  StartUp(app, form);
  drive(app);
  form.Surface().Update();
  return {Describe(state), form.Surface().Framebuffer(), media.commands.size()};
}

// A random player: a mode from the menu, then keys held for random times.
void Script(HeadlessBackend& hb, uint32_t seed) {
  std::mt19937 rng(seed);
  const uint16_t keys[] = {VK_UP, VK_DOWN, VK_LEFT, VK_RIGHT, VK_SPACE, VK_SPACE, VK_SPACE, 'A', VK_RETURN, VK_ESCAPE};
  uint64_t t = 50;
  for (int i = 0; i < int(rng() % 3); ++i) hb.Press(t += 10, VK_DOWN);
  hb.Press(t += 10, VK_RETURN);
  for (int i = 0; i < 40; ++i) {
    const uint16_t k = keys[rng() % std::size(keys)];
    t += 20 + rng() % 700;
    hb.KeyDown(t, k);
    hb.KeyUp(t += rng() % 900, k);
    if (rng() % 8 == 0) hb.At(t, Event::Mouse(Event::Type::MouseMove, int(rng() % TForm1::kClientWidth), int(rng() % TForm1::kClientHeight)));
  }
}

TEST(Journal, AReplayedSessionEndsInTheRecordedStateAndPicture) {
  const std::string path = ::testing::TempDir() + "tarvolen_journal_test.journal";
  for (uint32_t seed = 1; seed <= 12; ++seed) {
    SCOPED_TRACE("seed " + std::to_string(seed));
    Outcome recorded;
    {
      HeadlessBackend hb(test::SharedText());
      hb.SetPerformanceCounter(0x9E3779B9u * seed);
      Script(hb, seed);
      JournalRecorder rec(hb, path);
      recorded = RunProgram(rec, [](TApplication& app) { app.RunFor(30000); });
    }
    HeadlessBackend other(test::SharedText());
    other.SetPerformanceCounter(1);  // the seed must come from the journal
    JournalReplayer replay(other, path, false);
    // Driven as it was recorded: RunFor reads the clock, Run does not.
    Outcome replayed = RunProgram(replay, [](TApplication& app) { app.RunFor(30000); });
    EXPECT_TRUE(replay.Finished()) << replay.Problem();
    EXPECT_EQ(replayed.state, recorded.state);
    EXPECT_EQ(replayed.mediaCommands, recorded.mediaCommands);
    EXPECT_TRUE(replayed.picture.pixels == recorded.picture.pixels) << "the last frames differ";
    if (HasFailure()) break;
  }
  std::remove(path.c_str());
}

// A full disk's device, a named pipe and a shell are POSIX's.
#if !defined(_WIN32)
TEST(Journal, AJournalThatCannotBeWrittenIsReportedWithItsFileAndError) {
  HeadlessBackend hb(test::SharedText());
  Script(hb, 1);
  JournalRecorder rec(hb, "/dev/full");
  RunProgram(rec, [](TApplication& app) { app.RunFor(5000); });
  EXPECT_EQ(rec.Finish(), std::string("cannot write the journal /dev/full: ") + std::strerror(ENOSPC));
}
#endif

TEST(Journal, AFileThatIsNotAJournalIsRefusedWithItsLine) {
  const std::string path = ::testing::TempDir() + "tarvolen_bad.journal";
  HeadlessBackend hb(test::SharedText());
  for (const char* text : {"", "hello\n", "tarvolen-journal 1\nc 5 1\ne 0 40 0 0 0 0\n",
                           "tarvolen-journal 1\nc 5 0\n", "tarvolen-journal 1\nx\n", "tarvolen-journal 1\ne 99 0 0 0 0 0 0\n"}) {
    // Binary, as the program writes journals: text mode would end Windows' lines with CR LF.
    std::ofstream(path, std::ios::binary) << text;
    EXPECT_THROW(JournalReplayer(hb, path, false), std::runtime_error) << text;
  }
  std::ofstream(path, std::ios::binary) << "tarvolen-journal 1\nc 5 1\nn\nq\n";
  try {
    JournalReplayer r(hb, path, false);
    ADD_FAILURE() << "accepted";
  } catch (const std::runtime_error& e) {
    EXPECT_NE(std::string(e.what()).find(":4:"), std::string::npos) << e.what();
  }
  // Numbers out of what the machine answers: a frame, a box id counted from 1, a clock that
  // never runs back, event fields.
  for (const char* record : {"f 2147483647", "f -1", "b 0", "b 1", "c 4 1", "c 18446744073709551615 1",
                             "e 2 0 2147483647 0 0 0 0", "e 3 0 0 -2147483648 0 0 0", "e 6 0 0 0 0 -1 0"}) {
    std::ofstream(path, std::ios::binary) << "tarvolen-journal 1\nc 5 1\nb 1\n" << record << "\n";
    try {
      JournalReplayer r(hb, path, false);
      ADD_FAILURE() << "accepted " << record;
    } catch (const std::runtime_error& e) {
      EXPECT_NE(std::string(e.what()).find(":4:"), std::string::npos) << e.what();
    }
  }
  std::remove(path.c_str());
#if !defined(_WIN32)
  // A named pipe in the journal's place is refused at once, not waited on.
  ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0);
  EXPECT_THROW(JournalReplayer(hb, path, false), std::runtime_error);
  std::remove(path.c_str());
#endif
}

#if !defined(_WIN32)
// The program refuses such a journal in one line and exit status 1, and lets
// go of everything its start-up threads loaded however early it stops (under
// the leak checker, a fontconfig configuration loaded after the last release
// was reported now and then: run it a few times).
TEST(Journal, TheProgramRefusingAJournalSaysSoAndLeavesNothingBehind) {
  const std::string path = ::testing::TempDir() + "tarvolen_refused.journal";
  std::ofstream(path, std::ios::binary) << "not a journal\n";
  const std::string command = TARVOLEN_DATA_DIR "/tarvolen --replay " + path + " --headless 2>&1";
  for (int run = 0; run < 12 && !HasFailure(); ++run) {
    FILE* p = ::popen(command.c_str(), "r");
    ASSERT_TRUE(p);
    std::string out;
    char buf[512];
    while (size_t n = std::fread(buf, 1, sizeof buf, p)) out.append(buf, n);
    const int status = ::pclose(p);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1) << "run " << run << ": status " << status << "\n" << out;
    EXPECT_EQ(out, "tarvolen: " + path + ": not a Tarvolen journal\n") << "run " << run;
  }
  std::remove(path.c_str());
}
#endif

}  // namespace
}  // namespace tv
