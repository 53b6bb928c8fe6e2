// The Windows program as a player gets it: installed by its setup program
// under Wine, started from where it was installed, on a private X server with
// a window manager and a PulseAudio null sink to hear it. Its menu is the
// Linux program's picture, a computer match plays, its music is its
// recording sample for sample, a broken level picture gives its box, the
// window closes with exit 0, and the uninstaller leaves nothing behind.
// One program, its cases in order: the first installs, the last uninstalls.
#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "tests/e2e/match_on_x.h"
#include "tests/e2e/process.h"

extern char** environ;

namespace tv::e2e {
namespace {

namespace fs = std::filesystem;

std::vector<std::string> EnvironmentWith(const std::map<std::string, std::string>& extra) {
  std::map<std::string, std::string> vars;
  for (char** e = environ; *e; ++e) {
    std::string s = *e;
    if (size_t eq = s.find('='); eq != std::string::npos) vars[s.substr(0, eq)] = s.substr(eq + 1);
  }
  for (const auto& [k, v] : extra) vars[k] = v;
  std::vector<std::string> env;
  for (const auto& [k, v] : vars) env.push_back(k + "=" + v);
  return env;
}

std::string Required(const char* name) {
  const char* v = std::getenv(name);
  return v ? v : "";
}

int RunToEnd(const std::vector<std::string>& argv, Ms timeout) {
  pid_t pid = Spawn({argv, EnvironmentWith({{"DISPLAY", ""}})});
  auto status = WaitChild(pid, timeout);
  if (!status) {
    StopChild(pid, 1s);
    return -1;
  }
  return status->exited ? status->code : -1;
}

// Runs a Windows program under Wine to its end: its exit code, or -1. Wine's
// server and its desktop process outlive the program and keep the display
// they were started on (here none): it is waited out, so that the game's
// window starts a server of its own on the test's display.
int RunUnderWine(const std::vector<std::string>& args, Ms timeout) {
  std::vector<std::string> argv{"wine"};
  argv.insert(argv.end(), args.begin(), args.end());
  const int code = RunToEnd(argv, timeout);
  RunToEnd({"wineserver", "--wait"}, 30s);
  return code;
}

// Where the setup program puts the game for the player: their own programs folder.
fs::path InstallFolder() {
  const fs::path users = fs::path(Required("WINEPREFIX")) / "drive_c" / "users";
  std::error_code ec;
  for (const auto& user : fs::directory_iterator(users, ec)) {
    const fs::path dir = user.path() / "AppData" / "Local" / "Programs" / "Tarvolen";
    if (fs::exists(dir, ec)) return dir;
  }
  return {};
}

fs::path StartMenuEntry() {
  const fs::path users = fs::path(Required("WINEPREFIX")) / "drive_c" / "users";
  std::error_code ec;
  for (const auto& user : fs::directory_iterator(users, ec)) {
    const fs::path lnk =
        user.path() / "AppData" / "Roaming" / "Microsoft" / "Windows" / "Start Menu" / "Programs" / "Tarvolen.lnk";
    if (fs::exists(lnk, ec)) return lnk;
  }
  return {};
}

// A PulseAudio server of the test's own with a float null sink, and a
// capture of what reaches it, started before the program so nothing is missed.
class NullSink {
 public:
  explicit NullSink(const std::string& dir) : socket_(dir + "/pulse.socket"), capture_(dir + "/capture.raw") {
    fs::create_directories(dir + "/runtime");
    server_ = Spawn({{"pulseaudio", "-n", "--daemonize=no", "--exit-idle-time=-1", "--use-pid-file=no",
                      "--disable-shm=yes", "-L",
                      "module-null-sink sink_name=tvnull format=float32le rate=44100 channels=2", "-L",
                      "module-native-protocol-unix auth-anonymous=1 socket=" + socket_},
                     EnvironmentWith({{"XDG_RUNTIME_DIR", dir + "/runtime"}, {"HOME", dir}}), "/dev/null",
                     dir + "/pulse.log"});
    WaitUntil([&] { return fs::exists(socket_); }, 10s);
    recorder_ = Spawn({{"parec", "--server=unix:" + socket_, "-d", "tvnull.monitor", "--format=float32le",
                        "--rate=44100", "--channels=2", "--latency-msec=10", "--raw"},
                       EnvironmentWith({}), capture_, dir + "/parec.log"});
  }
  ~NullSink() {
    StopCapture();
    StopChild(server_, 2s);
  }
  std::string Server() const { return "unix:" + socket_; }
  bool Ready() const { return fs::exists(socket_); }
  void StopCapture() {
    if (recorder_ > 0) StopChild(recorder_, 1s);
    recorder_ = -1;
  }
  // The frames captured, interleaved stereo.
  std::vector<float> Captured() const {
    std::ifstream in(capture_, std::ios::binary);
    std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::vector<float> samples(bytes.size() / sizeof(float));
    std::memcpy(samples.data(), bytes.data(), samples.size() * sizeof(float));
    return samples;
  }

 private:
  std::string socket_, capture_;
  pid_t server_ = -1, recorder_ = -1;
};

std::vector<float> DecodeRecording(const fs::path& file) {
  SF_INFO info{};
  SNDFILE* f = sf_open(file.c_str(), SFM_READ, &info);
  if (!f) return {};
  std::vector<float> samples(size_t(info.frames) * size_t(info.channels));
  sf_readf_float(f, samples.data(), info.frames);
  sf_close(f);
  return samples;
}

// The frames from `from` on that are not silent (both channels exactly 0).
std::vector<float> Sounding(const std::vector<float>& s, size_t from) {
  std::vector<float> out;
  for (size_t i = from & ~size_t(1); i + 1 < s.size(); i += 2)
    if (s[i] != 0.0f || s[i + 1] != 0.0f) out.insert(out.end(), {s[i], s[i + 1]});
  return out;
}

size_t FirstSound(const std::vector<float>& s) {
  size_t i = 0;
  while (i < s.size() && s[i] == 0.0f) ++i;
  return i & ~size_t(1);  // a whole frame
}

class WindowsProgram : public MatchOnX {
 protected:
  static void SetUpTestSuite() {
    ASSERT_FALSE(Required("WINEPREFIX").empty()) << "run in the Wine prefix test.sh makes";
    // A server left by the suites before, started without a display, would keep the game's windows off the screen.
    RunToEnd({"wineserver", "--kill"}, 30s);
    RunToEnd({"wineserver", "--wait"}, 30s);
    if (!InstallFolder().empty()) return;
    ASSERT_EQ(RunUnderWine({Required("TARVOLEN_SETUP"), "/S"}, 120s), 0) << "the setup program failed";
  }

  void StartInstalled(const fs::path& folder, std::map<std::string, std::string> env = {}) {
    // Wine's server keeps the display of the program before, whose X server is gone.
    RunToEnd({"wineserver", "--kill"}, 30s);
    RunToEnd({"wineserver", "--wait"}, 30s);
    env["WINEDEBUG"] = "-all";
    ASSERT_TRUE(desk_.StartWindowManager());
    ASSERT_NO_FATAL_FAILURE(Start({(folder / "tarvolen.exe").string()}, env));
  }
};

// The Linux program's first picture, for the Windows one to be held against.
Screenshot LinuxMenu() {
  Desktop desk;
  desk.Launch(TARVOLEN_LINUX_PROGRAM);
  auto w = desk.WaitWindow("Tarvolen", 30s);
  if (!w || !desk.WaitPixel(w->id, kRowX, kRowY[0], kRed, 20s)) return {};
  Screenshot s = desk.Grab(w->id);
  desk.Close(w->id);
  desk.WaitExit(10s);
  return s;
}

// Texts in Verdana come from another face under Wine: compared by their width.
bool InVerdanaText(int x, int y) {
  for (const Rect& r : kRowBounds)
    if (x >= r.x && x < r.x + r.w && y >= r.y && y < r.y + r.h) return true;
  return x >= 405 && ((y >= 130 && y < 160) || y < 16);  // the link's caption, in a match and in the menu
}

int InkWidth(const Screenshot& s, const Rect& r, uint32_t background) {
  int left = r.x + r.w, right = -1;
  for (int y = r.y; y < r.y + r.h; ++y)
    for (int x = r.x; x < r.x + r.w; ++x)
      if (s.At(x, y) != background) left = std::min(left, x), right = std::max(right, x);
  return right >= left ? right - left + 1 : 0;
}

TEST_F(WindowsProgram, InstalledItShowsTheMenuPlaysItsMusicAndAComputerMatch) {
  const fs::path folder = InstallFolder();
  ASSERT_FALSE(folder.empty()) << "nothing installed";
  EXPECT_FALSE(StartMenuEntry().empty()) << "no Start menu entry";
  // The Linux program's picture first, so that its start-up does not share
  // the machine with the Windows program's music.
  const Screenshot linux = LinuxMenu();
  NullSink sink(desk_.TempDir() + "/sound");
  ASSERT_TRUE(sink.Ready()) << "no PulseAudio server";
  ASSERT_NO_FATAL_FAILURE(StartInstalled(folder, {{"PULSE_SERVER", sink.Server()}}));

  // Every pixel the Linux program draws, but for the texts in Verdana.
  const Screenshot windows = desk_.Grab(main_.id);
  ASSERT_EQ(linux.width, windows.width);
  ASSERT_EQ(linux.height, windows.height);
  int differ = 0;
  Rect where{linux.width, linux.height, 0, 0};
  for (int y = 0; y < linux.height; ++y)
    for (int x = 0; x < linux.width; ++x)
      if (!InVerdanaText(x, y) && linux.At(x, y) != windows.At(x, y)) {
        ++differ;
        where = {std::min(where.x, x), std::min(where.y, y), std::max(where.w, x), std::max(where.h, y)};
      }
  EXPECT_EQ(differ, 0) << "pixels outside the Verdana texts differ from the Linux program's, within (" << where.x
                       << ", " << where.y << ") to (" << where.w << ", " << where.h << ")";
  if (differ) {
    linux.SavePng(::testing::TempDir() + "tarvolen_linux_menu.png");
    windows.SavePng(::testing::TempDir() + "tarvolen_windows_menu.png");
  }
  const int linuxWidth = InkWidth(linux, kRowBounds[1], kRow), windowsWidth = InkWidth(windows, kRowBounds[1], kRow);
  EXPECT_NEAR(windowsWidth, linuxWidth, linuxWidth / 4) << "a row's caption";

  // The menu's music, as it reached the sound server: one of the recordings,
  // sample for sample, held block by block. Wine's audio path runs dry now and
  // then (it gives threads no priority, and GStreamer decodes the recording on
  // demand), and then plays silence or loses a few frames: silent frames are
  // left out of both sides, and three blocks in four must be found whole,
  // each near where the one before was. The count is told.
  ASSERT_TRUE(WaitUntil([&] { return sink.Captured().size() > FirstSound(sink.Captured()) + 4 * 88200; }, 20s))
      << "no music reached the sound server";
  sink.StopCapture();
  const std::vector<float> heard = Sounding(sink.Captured(), FirstSound(sink.Captured()));
  constexpr size_t kBlock = 2 * 2048, kNear = 2 * 88200;
  const size_t blocks = heard.size() / kBlock;
  size_t best = 0;
  for (const auto& f : fs::directory_iterator(folder / "recordings")) {
    if (f.path().extension() != ".flac") continue;
    const std::vector<float> recorded = Sounding(DecodeRecording(f.path()), 0);
    size_t found = 0, at = 0;
    for (size_t k = 0; k < blocks; ++k) {
      const auto block = heard.begin() + long(k * kBlock);
      const size_t last = std::min(recorded.size() - std::min(recorded.size(), kBlock), at + kNear);
      for (size_t s = at > kNear ? at - kNear : 0; s + kBlock <= recorded.size() && s <= last; s += 2)
        if (std::equal(block, block + long(kBlock), recorded.begin() + long(s))) {
          ++found;
          at = s + kBlock;
          break;
        }
    }
    best = std::max(best, found);
  }
  RecordProperty("music_blocks_found", std::to_string(best) + " of " + std::to_string(blocks));
  EXPECT_GE(blocks, 60u) << "too little music heard";
  EXPECT_GE(best * 4, blocks * 3) << best << " of " << blocks << " blocks of what was heard are in a recording";

  ASSERT_NO_FATAL_FAILURE(StartRow(2));
  ASSERT_NO_FATAL_FAILURE(ComputersTakeTurns());
  CloseCleanly();
}

TEST_F(WindowsProgram, ABrokenLevelPictureGivesItsBox) {
  const fs::path folder = desk_.TempDir() + "/copy";
  fs::copy(InstallFolder(), folder, fs::copy_options::recursive);
  fs::resize_file(folder / "1.bmp", 10);
  ASSERT_NO_FATAL_FAILURE(StartInstalled(folder));
  desk_.Key(main_.id, "Return");
  auto box = desk_.WaitOtherWindow("Tarvolen", main_.id, 20s);
  ASSERT_TRUE(box) << "no error box for the broken picture";
  ASSERT_TRUE(desk_.WaitFocused(box->id));
  desk_.Key(box->id, "Return");
  EXPECT_TRUE(WaitUntil([&] { return !desk_.Info(box->id); }, 10s)) << "Enter did not dismiss the box";
  CloseCleanly();
}

TEST_F(WindowsProgram, TheUninstallerLeavesNothing) {
  const fs::path folder = InstallFolder();
  ASSERT_FALSE(folder.empty());
  // The uninstaller copies itself away and goes on from there: wait for its work, not its exit.
  ASSERT_EQ(RunUnderWine({(folder / "Uninstall.exe").string(), "/S"}, 60s), 0);
  EXPECT_TRUE(WaitUntil([&] { return !fs::exists(folder); }, 60s, 100ms)) << folder << " is still there";
  EXPECT_TRUE(StartMenuEntry().empty()) << "the Start menu entry is still there";
  EXPECT_NE(RunUnderWine({"reg", "query", "HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Tarvolen"},
                         60s),
            0)
      << "the uninstall entry is still in the registry";
}

}  // namespace
}  // namespace tv::e2e
