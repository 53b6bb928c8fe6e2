// The program's command line, and the window enlarged by --scale on a real X server.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <tuple>
#include <vector>

#include "tests/e2e/game_on_x.h"
#include "tests/e2e/process.h"
#include "tests/e2e/x11_driver.h"

namespace tv::e2e {
namespace {

struct Outcome {
  std::optional<ExitStatus> status;
  std::string out, err;
};

// The program without a display: what it prints and how it ends.
Outcome RunWithoutDisplay(const std::vector<std::string>& args, const std::string& scaleEnv = "",
                          const std::string& stdoutPath = "") {
  char dir[] = "/tmp/tarvolen-cli-XXXXXX";
  if (!mkdtemp(dir)) return {};
  SpawnOptions o;
  o.argv = {TARVOLEN_PROGRAM};
  o.argv.insert(o.argv.end(), args.begin(), args.end());
  o.env = {"PATH=/usr/bin:/bin", std::string("HOME=") + dir, "SDL_AUDIODRIVER=dummy"};
  if (!scaleEnv.empty()) o.env.push_back("TARVOLEN_SCALE=" + scaleEnv);
  o.stdoutPath = stdoutPath.empty() ? std::string(dir) + "/stdout" : stdoutPath;
  o.stderrPath = std::string(dir) + "/stderr";
  Outcome r;
  r.status = WaitChild(Spawn(o), 20s);
  if (stdoutPath.empty()) r.out = ReadWholeFile(o.stdoutPath);
  r.err = ReadWholeFile(o.stderrPath);
  if (stdoutPath.empty()) std::remove(o.stdoutPath.c_str());
  std::remove(o.stderrPath.c_str());
  rmdir(dir);
  return r;
}

bool ExitedWith(const Outcome& r, int code) { return r.status && r.status->exited && r.status->code == code; }

TEST(CommandLine, HelpAndVersionAnswerWithoutADisplayAndMistakesGetTheUsageAndStatusTwo) {
  Outcome version = RunWithoutDisplay({"--version"});
  EXPECT_TRUE(ExitedWith(version, 0)) << version.err;
  EXPECT_EQ(version.out.substr(0, version.out.find('\n')), "tarvolen 1.2.0.0");

  Outcome help = RunWithoutDisplay({"--help"}, "9");  // a bad TARVOLEN_SCALE does not stop --help
  EXPECT_TRUE(ExitedWith(help, 0)) << help.err;
  for (const char* part :
       {"Usage: tarvolen", "--scale N", "--fullscreen", "--version", "TARVOLEN_SCALE", "0.mid", "hit.wav"})
    EXPECT_NE(help.out.find(part), std::string::npos) << "--help lacks " << part << ":\n" << help.out;
  EXPECT_EQ(help.err, "");

  const std::vector<std::pair<std::vector<std::string>, std::string>> wrong = {
      {{"--frobnicate"}, ""}, {{"-x"}, ""},          {{"level3"}, ""},        {{"--scale"}, ""},
      {{"--scale", "5"}, ""}, {{"--scale=0"}, ""},   {{"--scale=2x"}, ""},    {{"--help=1"}, ""},
      {{}, "0"},              {{}, "four"},          {{"--", "x"}, ""},
      {{"--record", "a", "--replay", "b"}, ""},      {{"--headless"}, ""},    {{"--png", "x"}, ""},
      {{"--fullscreen=1"}, ""},
  };
  for (const auto& [args, env] : wrong) {
    std::string what;
    for (const auto& a : args) what += a + " ";
    what += "TARVOLEN_SCALE=" + env;
    Outcome r = RunWithoutDisplay(args, env);
    EXPECT_TRUE(ExitedWith(r, 2)) << what << ": " << (r.status ? Describe(*r.status) : "still running");
    EXPECT_NE(r.err.find("Usage: tarvolen"), std::string::npos) << what << ":\n" << r.err;
    EXPECT_EQ(r.out, "") << what;
  }
}

TEST(CommandLine, AHeadlessReplayThatCannotWriteItsFrameOrItsStateSaysWhyAndEndsWithStatusOne) {
  // A journal without records: the session ends at once, as recorded.
  const std::string journal = ::testing::TempDir() + "tarvolen_cli_empty.journal";
  std::FILE* f = std::fopen(journal.c_str(), "w");
  ASSERT_TRUE(f && std::fputs("tarvolen-journal 1\n", f) >= 0 && std::fclose(f) == 0);
  const std::string png = ::testing::TempDir() + "tarvolen_cli_empty.png";
  const std::vector<std::tuple<std::string, std::string, std::string>> cases = {
      {"/dev/full", "", "cannot write /dev/full: " + std::string(std::strerror(ENOSPC))},
      {"/nonexistent/dir/x.png", "", "cannot write /nonexistent/dir/x.png: " + std::string(std::strerror(ENOENT))},
      {png, "/dev/full", "cannot write standard output: " + std::string(std::strerror(ENOSPC))},
  };
  for (const auto& [frame, out, why] : cases) {
    Outcome r = RunWithoutDisplay({"--replay", journal, "--headless", "--png", frame}, "", out);
    EXPECT_TRUE(ExitedWith(r, 1)) << frame << " " << out << ": " << (r.status ? Describe(*r.status) : "still running");
    EXPECT_EQ(r.err, "tarvolen: " + why + "\n");
  }
  std::remove(png.c_str());
  std::remove(journal.c_str());
}

// Starts the program on `desk` and waits for its menu at scale n.
void StartScaled(Desktop& desk, WindowInfo& win, int n, const std::map<std::string, std::string>& env,
                 const std::vector<std::string>& args, const std::string& program = TARVOLEN_PROGRAM) {
  desk.Launch(program, env, args);
  auto w = desk.WaitWindow("Tarvolen", 30s);
  ASSERT_TRUE(w) << "no window titled Tarvolen; stderr:\n" << desk.Stderr();
  win = *w;
  ASSERT_EQ(win.width, 586 * n);
  ASSERT_EQ(win.height, 440 * n);
  ASSERT_TRUE(desk.WaitPixel(win.id, kRowX * n, kRowY[0] * n, kRed, 20s)) << "the menu never showed";
}

// Every pixel of the picture an N x N block of the window, the pointer scaled back.
class ScaledOnX : public ::testing::Test {
 protected:
  void StartScaled(int n, const std::map<std::string, std::string>& env, const std::vector<std::string>& args) {
    e2e::StartScaled(big_, win_, n, env, args);
  }
  // Room for a window three times the size.
  Desktop big_{1800, 1400};
  WindowInfo win_;
};

bool Blocky(const Screenshot& s, int n) {
  for (int y = 0; y < s.height; ++y)
    for (int x = 0; x < s.width; ++x)
      if (s.At(x, y) != s.At(x - x % n, y - y % n)) return false;
  return true;
}

TEST_F(ScaledOnX, ScaleTwoShowsBlocksAndTheRowsAnswerThePointerAtTheirScaledPlaces) {
  ASSERT_NO_FATAL_FAILURE(StartScaled(2, {}, {"--scale", "2"}));
  const int n = 2;
  // Unscaled, this place would lie far below the rows.
  big_.MoveMouse(win_.id, kRowCaptionX * n, kRowY[2] * n + 1);
  EXPECT_TRUE(big_.WaitPixel(win_.id, kRowX * n + 1, kRowY[2] * n + 1, kRed)) << "row 2 not lit";
  Screenshot s = big_.Grab(win_.id);
  EXPECT_TRUE(Blocky(s, n)) << "a pixel of the picture is not a whole 2 x 2 block";
  EXPECT_EQ(s.At(kRowX * n, kRowY[0] * n), kRow);
  // A click on the two-player row, at its scaled place, starts the match.
  big_.Click(win_.id, kRowCaptionX * n, kRowY[1] * n);
  EXPECT_TRUE(big_.WaitPixel(win_.id, 40 * n + 1, 10 * n + 1, kSky, 20s)) << "no backdrop after the click";
  EXPECT_TRUE(Blocky(big_.Grab(win_.id), n));
}

TEST_F(ScaledOnX, TheEnvironmentSetsTheScaleWhenTheOptionDoesNot) {
  ASSERT_NO_FATAL_FAILURE(StartScaled(3, {{"TARVOLEN_SCALE", "3"}}, {}));
  big_.Close(win_.id);
  auto status = big_.WaitExit(5s);
  ASSERT_TRUE(status);
  EXPECT_TRUE(status->Clean()) << Describe(*status);
}

// A 3840 x 2160 screen gets scale 3 unasked, and the box a broken level
// picture brings up is drawn and clicked at that scale too.
TEST(ScaledBoxOnX, OnAFourKScreenTheWindowAndItsBoxesAreThreeTimesLarger) {
  Desktop desk(3840, 2160);
  namespace fs = std::filesystem;
  const fs::path dir = desk.TempDir(), program = dir / fs::path(TARVOLEN_PROGRAM).filename();
  for (const auto& file : fs::directory_iterator(fs::path(TARVOLEN_PROGRAM).parent_path()))
    if (file.is_regular_file()) fs::copy_file(file.path(), dir / file.path().filename());
  fs::resize_file(dir / "1.bmp", 10);
  WindowInfo win;
  ASSERT_NO_FATAL_FAILURE(StartScaled(desk, win, 3, {}, {}, program.string()));
  desk.Click(win.id, kRowCaptionX * 3, kRowY[0] * 3);  // the campaign's level 1 and its picture
  auto box = desk.WaitOtherWindow("Tarvolen", win.id, 20s);
  ASSERT_TRUE(box && desk.WaitPixel(box->id, 1, 1, 0xC0C0C0)) << "no box for the broken picture";
  // 3 x (12 + 32 + 12 + 23 + 12): the icon's row and the button's, with their margins.
  EXPECT_EQ(box->height, 3 * 91);
  EXPECT_TRUE(Blocky(desk.Grab(box->id), 3)) << "a pixel of the box is not a whole 3 x 3 block";
  desk.Click(box->id, box->width / 2, box->height - 3 * (12 + 11));  // OK's centre, scaled
  EXPECT_TRUE(WaitUntil([&] { return !desk.Info(box->id); }, 10s)) << "OK did not dismiss the box";
}

// What the player chose (--scale, M) is remembered in ~/.config/tarvolen,
// made for the player alone, and read at the next start; a wrong file is said
// in one line and the game starts as without one.
TEST(SettingsOnX, TheLastChoicesAreRememberedAndAWrongFileIsSaidOnceAndIgnored) {
  Desktop desk(1280, 1024);  // where the display's own choice is scale 1
  namespace fs = std::filesystem;
  const fs::path file = fs::path(desk.TempDir()) / ".config/tarvolen/settings.ini";
  const std::map<std::string, std::string> env = {{"XDG_CONFIG_HOME", ""}};  // HOME's then
  auto holds = [&](const std::string& line) {
    return WaitUntil([&] { return ReadWholeFile(file).find(line + "\n") != std::string::npos; }, 10s);
  };
  WindowInfo win;
  auto close = [&] {
    desk.Close(win.id);
    auto status = desk.WaitExit(10s);
    EXPECT_TRUE(status && status->Clean()) << desk.Stderr();
  };
  ASSERT_NO_FATAL_FAILURE(StartScaled(desk, win, 2, env, {"--scale", "2"}));
  EXPECT_TRUE(holds("scale=2")) << ReadWholeFile(file);
  for (const fs::path& dir : {file.parent_path(), file.parent_path().parent_path()})
    EXPECT_EQ(fs::status(dir).permissions(), fs::perms::owner_all) << dir;
  desk.Key(win.id, "m");
  EXPECT_TRUE(holds("sound=off")) << ReadWholeFile(file);
  close();
  // Twice the size unasked, and silent: M now brings the sound back.
  ASSERT_NO_FATAL_FAILURE(StartScaled(desk, win, 2, env, {}));
  desk.Key(win.id, "m");
  EXPECT_TRUE(holds("sound=on")) << ReadWholeFile(file);
  close();
  std::ofstream(file) << "scale=9\n";
  ASSERT_NO_FATAL_FAILURE(StartScaled(desk, win, 1, env, {}));
  close();
  const std::string err = desk.Stderr(), said = "tarvolen: ignoring the settings file " + file.string() +
                                                 ": line 1: scale is not a whole number from 1 to 4\n";
  EXPECT_EQ(err.substr(0, said.size()), said);
  EXPECT_EQ(err.find("tarvolen:", 1), std::string::npos) << err;  // one line, whatever a sanitizer adds
}

// F11 and Alt+Enter switch fullscreen on and off: the picture centred at the
// largest whole scale, the pointer mapped back to it; the keys reach no menu.
TEST(FullscreenOnX, FElevenAndAltEnterSwitchTheScreenOverThePictureCentredAtItsLargestScale) {
  Desktop desk(2560, 1440);
  WindowInfo win;
  ASSERT_NO_FATAL_FAILURE(StartScaled(desk, win, 1, {}, {"--scale", "1"}));
  ASSERT_TRUE(desk.StartWindowManager(win.id)) << "openbox did not start or adopt the window";
  auto sized = [&](int w) {
    return WaitUntil([&] { return desk.Info(win.id).value_or(WindowInfo{}).width == w; }, 10s);
  };
  desk.Key(win.id, "F11");
  ASSERT_TRUE(sized(2560)) << "the window does not cover the screen";
  const int n = 3, x0 = (2560 - 586 * n) / 2, y0 = (1440 - 440 * n) / 2;  // 1758 x 1320, centred
  ASSERT_TRUE(desk.WaitPixel(win.id, x0 + kRowX * n, y0 + kRowY[0] * n, kRed));
  Screenshot s = desk.Grab(win.id);
  EXPECT_EQ(std::vector({s.At(x0 - 1, y0 + 9), s.At(x0 + 586 * n, y0 + 9), s.At(x0 + 9, y0 - 1)}),
            std::vector({kBlack, kBlack, kBlack}));
  desk.Key(win.id, "alt+Return");  // were it Enter to the menu too, the campaign would start
  ASSERT_TRUE(sized(586)) << "the window did not come back";
  ASSERT_TRUE(desk.Synced(win.id) && desk.WaitPixel(win.id, kRowX, kRowY[0], kRed));
  desk.Key(win.id, "F11");
  ASSERT_TRUE(sized(2560));
  desk.Click(win.id, x0 + kRowCaptionX * n, y0 + kRowY[1] * n);  // two players, at the mapped place
  EXPECT_TRUE(desk.WaitPixel(win.id, x0 + 40 * n + 1, y0 + 10 * n + 1, kSky, 20s)) << "no match after the click";
}

}  // namespace
}  // namespace tv::e2e
