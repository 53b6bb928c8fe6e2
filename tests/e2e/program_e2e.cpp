// The program itself on a real X server.
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <thread>

#include "tests/e2e/game_on_x.h"
#include "tests/e2e/process.h"
#include "tests/e2e/x11_driver.h"

namespace tv::e2e {
namespace {

constexpr uint32_t kLime = 0x00FF00;

// Where the lime link label's ink lies in the top-right corner, if anywhere:
// lime blended onto its black ground, so pure greens of any strength.
struct Ink {
  int left = 1 << 30, right = -1, top = 1 << 30;
  bool fullLime = false;
};
Ink LimeInk(const Screenshot& s) {
  Ink ink;
  for (int y = 0; y < 20 && y < s.height; ++y)
    for (int x = std::max(s.width - 160, 0); x < s.width; ++x) {
      uint32_t p = s.At(x, y);
      if ((p & 0xFF00FF) != 0 || p == 0) continue;
      ink.left = std::min(ink.left, x);
      ink.right = std::max(ink.right, x);
      ink.top = std::min(ink.top, y);
      ink.fullLime |= p == kLime;
    }
  return ink;
}

class ProgramOnX : public GameOnX {
 protected:
  // Starts the program and waits for its menu and the link label.
  void Start() {
    ASSERT_NO_FATAL_FAILURE(GameOnX::Start());
    ASSERT_TRUE(desk_.WaitPicture(main_.id, [](const Screenshot& s) { return LimeInk(s).fullLime; }, 20s))
        << "the link label never showed";
    shot_ = desk_.Grab(main_.id);
  }
  Screenshot shot_;  // the picture once the window is up
};

TEST_F(ProgramOnX, OpensItsWindowShowsTheMenuScreenAndClosesCleanly) {
  ASSERT_NO_FATAL_FAILURE(Start());
  EXPECT_EQ(main_.width, 586);
  EXPECT_EQ(main_.height, 440);
  EXPECT_EQ(desk_.CountWindows("Tarvolen"), 1) << "a message box at start-up";
  EXPECT_TRUE(desk_.FixedSize(main_.id));
  EXPECT_EQ(desk_.IconSize(main_.id), std::make_pair(24, 24)) << "the program icon";
  const Screenshot& s = shot_;
  EXPECT_EQ(s.At(5, 300), kBlack);
  EXPECT_EQ(s.At(580, 430), kBlack);
  // The link label sits in the top-right corner, its cell touching x 585 and y 0.
  Ink ink = LimeInk(s);
  EXPECT_GE(ink.right, 580);
  EXPECT_LE(ink.top, 4);
  EXPECT_GT(ink.left, 400);

  desk_.Close(main_.id);
  auto status = desk_.WaitExit(2s);
  ASSERT_TRUE(status) << "still running 2 s after the close request";
  EXPECT_TRUE(status->Clean()) << Describe(*status);
}

// Start-up may fork (D-Bus autolaunches its helper when there is no session
// bus); a child forked while another thread holds a lock can hang on it. The
// program's own threads must not exist yet when that happens.
// Starts the program under strace with `address` as the session bus and
// counts the processes it forks, each checked to be forked while the program
// has no other thread.
long ForksAtStart(Desktop& desk, const std::string& address) {
  // In the desktop's own folder: tests run side by side, and a shared name let
  // one read or remove the other's trace.
  const std::string trace = desk.TempDir() + "/start.strace";
  // -D: strace runs beside the program, which keeps the process id the driver knows it by.
  desk.Launch("strace", {{"DBUS_SESSION_BUS_ADDRESS", address}},
               {"-D", "-f", "-qq", "-e", "trace=clone,clone3,fork,vfork", "-o", trace, TARVOLEN_PROGRAM});
  auto w = desk.WaitWindow("Tarvolen", 30s);
  EXPECT_TRUE(w) << desk.Stderr();
  if (!w) return -1;
  EXPECT_TRUE(desk.WaitPixel(w->id, kRowX, kRowY[0], kRed, 20s)) << "the menu never showed";
  desk.Close(w->id);
  EXPECT_TRUE(desk.WaitExit(10s));
  // "PID clone3({flags=...CLONE_THREAD...}) = TID", "TID +++ exited ...", a fork without CLONE_THREAD.
  std::istringstream lines(ReadWholeFile(trace));
  std::set<long> live;
  long forks = 0, program = 0;
  for (std::string line; std::getline(lines, line);) {
    std::istringstream in(line);
    long pid = 0;
    in >> pid;
    if (!program) program = pid;
    const size_t eq = line.rfind("= ");
    const bool made = line.find("clone") != std::string::npos && eq != std::string::npos;
    if (made && line.find("CLONE_THREAD") != std::string::npos) {
      live.insert(std::stol(line.substr(eq + 2)));
    } else if (made && (pid == program || live.count(pid))) {
      ++forks;
      const size_t others = live.size() - live.count(pid) + (pid != program);
      EXPECT_EQ(others, 0u) << "forked beside " << others << " other threads: " << line;
    } else if (line.find("+++ exited") != std::string::npos || line.find("+++ killed") != std::string::npos) {
      live.erase(pid);
    }
  }
  std::remove(trace.c_str());
  return forks;
}

TEST_F(ProgramOnX, ForksOnlyWhileItIsSingleThreaded) {
  EXPECT_GT(ForksAtStart(desk_, "autolaunch:"), 0) << "the autolaunch this test provokes never forked";
}

// With a session bus named, D-Bus does not autolaunch, and without one the
// program turns its autolaunch off: the start-up threads may then run beside
// the window's start, which forks nothing.
TEST_F(ProgramOnX, WithASessionBusNamedOrNoneAtAllTheStartForksNothing) {
  EXPECT_EQ(ForksAtStart(desk_, "unix:path=/nonexistent/tarvolen-bus"), 0);
  EXPECT_EQ(ForksAtStart(desk_, ""), 0);
}

// An earlier version kept the window's first picture in the cache and showed
// it at the next start; that file is left alone and never shown now: the
// first picture is the game's own menu, and the pointer over a row lights it.
TEST_F(ProgramOnX, AnEarlierVersionsKeptPictureIsNeitherShownNorRewritten) {
  const std::string cache = desk_.TempDir() + "/cache", kept = cache + "/tarvolen/first-picture";
  std::filesystem::create_directories(cache + "/tarvolen");
  const std::string stale = "tarvolen-first-picture 1\nnot a picture of this version\n";
  std::ofstream(kept, std::ios::binary) << stale;
  desk_.Launch(TARVOLEN_PROGRAM, {{"XDG_CACHE_HOME", cache}});
  auto w = desk_.WaitWindow("Tarvolen", 30s);
  ASSERT_TRUE(w) << desk_.Stderr();
  ASSERT_TRUE(desk_.WaitPixel(w->id, kRowX, kRowY[0], kRed, 20s)) << "the menu never showed";
  desk_.MoveMouse(w->id, kRowCaptionX, kRowY[2]);
  EXPECT_TRUE(desk_.WaitPixel(w->id, kRowX, kRowY[2], kRed, 20s)) << "the pointer's row never lit";
  desk_.Close(w->id);
  ASSERT_TRUE(desk_.WaitExit(10s));
  EXPECT_EQ(ReadWholeFile(kept), stale);
}

// A measurement, run by hand: --gtest_also_run_disabled_tests --gtest_filter='*Idle*'.
// The loop sleeps until the next timer or input, so the main thread of an idle
// menu costs next to nothing; the whole process adds the music's synthesis.
TEST_F(ProgramOnX, DISABLED_IdleCpuOverTenSeconds) {
  ASSERT_NO_FATAL_FAILURE(Start());
  double all = desk_.CpuSeconds(), loop = desk_.MainThreadCpuSeconds();
  auto t0 = std::chrono::steady_clock::now();
  std::this_thread::sleep_for(10s);  // the measuring window, not a wait for anything
  double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
  all = desk_.CpuSeconds() - all;
  loop = desk_.MainThreadCpuSeconds() - loop;
  std::cout << "idle over " << wall << " s: main thread " << loop << " s CPU (" << 100.0 * loop / wall
            << " %), whole process " << all << " s (" << 100.0 * all / wall << " %)\n";
  RecordProperty("idle_main_thread_cpu_seconds", std::to_string(loop));
  RecordProperty("idle_process_cpu_seconds", std::to_string(all));
  EXPECT_LT(loop / wall, 0.01);
}

// Started under another file name, the window keeps the class the desktop
// file matches (StartupWMClass). Without a sound device the player reads one
// line saying the game plays silent, and none of ALSA's own complaints.
TEST_F(ProgramOnX, RenamedAndWithoutASoundDeviceKeepsItsClassAndSaysOnceItPlaysSilent) {
  const std::string renamed = desk_.TempDir() + "/renamed-game";
  ASSERT_EQ(link(TARVOLEN_PROGRAM, renamed.c_str()), 0);
  desk_.Launch(renamed, {{"SDL_AUDIODRIVER", "alsa"}, {"AUDIODEV", "hw:99"}});
  auto w = desk_.WaitWindow("Tarvolen", 30s);
  ASSERT_TRUE(w) << desk_.Stderr();
  main_ = *w;
  ASSERT_TRUE(desk_.WaitPixel(main_.id, kRowX, kRowY[0], kRed, 20s)) << "the menu never showed";
  EXPECT_EQ(desk_.WmClass(main_.id), "tarvolen.tarvolen");
  desk_.Close(main_.id);
  ASSERT_TRUE(desk_.WaitExit(5s));
  const std::string err = desk_.Stderr();
  size_t lines = 0;
  for (size_t at = err.find("plays silent"); at != std::string::npos; at = err.find("plays silent", at + 1)) ++lines;
  EXPECT_EQ(lines, 1u) << err;
  EXPECT_EQ(err.find("ALSA lib"), std::string::npos) << err;
  std::remove(renamed.c_str());
}

// With no display the game must say so, not run on in a window nobody sees;
// its line is the only one (no library's own complaint before it).
TEST(ProgramWithoutDisplay, SaysSoInOneLineAndExitsWithAnError) {
  char dir[] = "/tmp/tarvolen-nodisplay-XXXXXX";
  ASSERT_TRUE(mkdtemp(dir));
  SpawnOptions o;
  o.argv = {TARVOLEN_PROGRAM};
  o.env = {"PATH=/usr/bin:/bin", std::string("HOME=") + dir, "SDL_AUDIODRIVER=dummy"};
  o.stderrPath = std::string(dir) + "/stderr";
  auto status = WaitChild(Spawn(o), 20s);
  const std::string err = ReadWholeFile(o.stderrPath);
  std::remove(o.stderrPath.c_str());
  rmdir(dir);
  ASSERT_TRUE(status) << "still running without a display";
  EXPECT_TRUE(status->exited && status->code == 1) << Describe(*status);
  EXPECT_EQ(err.rfind("tarvolen: cannot open the game's window: no display", 0), 0u) << err;
  EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
}

}  // namespace
}  // namespace tv::e2e
