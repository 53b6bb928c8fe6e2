// The SDL backend on a real X server, through a stand-in program that
// prints every event it receives (tests/e2e/sdl_probe.cpp).
#include <gtest/gtest.h>
#include <signal.h>

#include <sstream>

#include "tests/e2e/x11_driver.h"

namespace tv::e2e {
namespace {

constexpr uint32_t kBlack = 0x000000, kWhite = 0xFFFFFF, kLime = 0x00FF00, kRed = 0xFF0000, kFace = 0xC0C0C0;

class SdlBackendOnX : public ::testing::Test {
 protected:
  void SetUp() override {
    desk_.Launch(TARVOLEN_SDL_PROBE);
    auto w = desk_.WaitWindow("Probe", 20s);
    ASSERT_TRUE(w) << desk_.Stderr();
    main_ = *w;
    ASSERT_TRUE(desk_.WaitStdoutLine("Ready", 10s));
    ASSERT_TRUE(desk_.WaitPixel(main_.id, 585, 0, kLime)) << "the first picture never showed";
  }
  void TearDown() override {
    if (HasFailure()) {
      desk_.Grab(main_.id).SavePng(::testing::TempDir() + "probe_failure.png");
      std::cerr << "probe stdout:\n" << desk_.Stdout() << "probe stderr:\n" << desk_.Stderr();
    }
  }

  std::vector<std::string> Lines() const {
    std::vector<std::string> lines;
    std::istringstream in(desk_.Stdout());
    for (std::string l; std::getline(in, l);) lines.push_back(l);
    return lines;
  }
  // The lines that start with `prefix`, in order.
  std::vector<std::string> LinesStarting(const std::string& prefix) const {
    std::vector<std::string> out;
    for (auto& l : Lines())
      if (l.rfind(prefix, 0) == 0) out.push_back(l);
    return out;
  }
  int Count(const std::string& line) const {
    auto l = Lines();
    return int(std::count(l.begin(), l.end(), line));
  }
  // Opens a box with the probe's key and waits until it is fully up: the
  // probe has returned from opening it and the box has taken the keyboard.
  WindowInfo OpenBox(const std::string& key) {
    desk_.Key(main_.id, key);
    EXPECT_TRUE(desk_.WaitStdoutLine("Opened " + std::to_string(++opened_), 10s));
    auto box = desk_.WaitOtherWindow("Probe", main_.id);
    EXPECT_TRUE(box) << "no message box appeared";
    if (box) {
      EXPECT_TRUE(desk_.WaitFocused(box->id)) << "the box did not take the keyboard";
    }
    return box.value_or(WindowInfo{});
  }
  // Waits until the box has its first picture: a grey face, not a black void.
  bool Drawn(const WindowInfo& box) { return desk_.WaitPixel(box.id, 1, 1, kFace); }
  // The OK button lies centred at the bottom of the box.
  static std::pair<int, int> OkButton(const WindowInfo& box) { return {box.width / 2, box.height - 12 - 11}; }

  Desktop desk_;
  WindowInfo main_;
  int opened_ = 0;
};

TEST_F(SdlBackendOnX, WindowIsCentredWithItsClientSizeAndPicture) {
  EXPECT_EQ(main_.width, 586);
  EXPECT_EQ(main_.height, 440);
  EXPECT_EQ(main_.x, (1024 - 586) / 2);
  EXPECT_EQ(main_.y, (768 - 440) / 2);
  Screenshot s = desk_.Grab(main_.id);
  EXPECT_EQ(s.At(5, 300), kBlack);
  EXPECT_EQ(s.At(100, 100), kWhite);
  EXPECT_EQ(s.At(486, 12), kLime);
  EXPECT_EQ(s.At(485, 12), kBlack);
  EXPECT_EQ(desk_.CountWindows("Probe"), 1);
  EXPECT_TRUE(desk_.FixedSize(main_.id));
  EXPECT_EQ(desk_.IconSize(main_.id), std::make_pair(2, 2));
  // A bare X server has no window manager, hence no frame.
  EXPECT_EQ(Count("FrameWidth 0"), 1);
  EXPECT_EQ(Count("Text 38 13"), 1) << "the window's text renderer measures like the tests' one";
}

TEST_F(SdlBackendOnX, KeysArriveAsVirtualKeyCodes) {
  desk_.Key(main_.id, "Return KP_Enter Escape space Left Up Right Down a z 0 9 Shift_L");
  ASSERT_TRUE(desk_.WaitStdoutLine("KeyUp 16", 10s));
  std::vector<std::string> want;
  for (int k : {13, 13, 27, 32, 37, 38, 39, 40, 65, 90, 48, 57, 16}) want.push_back("KeyDown " + std::to_string(k));
  EXPECT_EQ(LinesStarting("KeyDown"), want);
  EXPECT_EQ(LinesStarting("KeyUp").size(), want.size());
}

TEST_F(SdlBackendOnX, HeldKeyRepeatsAsFurtherKeyDowns) {
  desk_.KeyDown(main_.id, "Up");
  EXPECT_TRUE(WaitUntil([&] { return Count("KeyDown 38") >= 3; }, 10s)) << "no auto-repeat seen";
  desk_.KeyUp(main_.id, "Up");
  ASSERT_TRUE(desk_.WaitStdoutLine("KeyUp 38", 10s));
  EXPECT_EQ(Count("KeyUp 38"), 1);
}

TEST_F(SdlBackendOnX, MouseEventsComeInClientCoordinatesWithTheirButton) {
  desk_.Click(main_.id, 40, 50, 1);
  desk_.Click(main_.id, 300, 200, 3);
  desk_.Click(main_.id, 10, 400, 2);
  ASSERT_TRUE(desk_.WaitStdoutLine("MouseUp 10 400 M", 10s));
  EXPECT_EQ(Count("MouseDown 40 50 L"), 1);
  EXPECT_EQ(Count("MouseUp 40 50 L"), 1);
  EXPECT_EQ(Count("MouseDown 300 200 R"), 1);
  EXPECT_EQ(Count("MouseUp 300 200 R"), 1);
  EXPECT_GE(Count("MouseMove 300 200 L"), 1);
}

TEST_F(SdlBackendOnX, ReleaseAwayFromTheWindowStillArrives) {
  desk_.MouseDown(main_.id, 20, 20, 1);
  desk_.MouseUp(main_.id, -100, -60, 1);
  EXPECT_TRUE(desk_.WaitStdoutLine("MouseUp -100 -60 L", 10s));
}

TEST_F(SdlBackendOnX, CloseBoxQuitsPromptly) {
  desk_.Close(main_.id);
  auto status = desk_.WaitExit(2s);
  ASSERT_TRUE(status) << "still running 2 s after the close request";
  EXPECT_TRUE(status->Clean()) << Describe(*status);
  EXPECT_EQ(Lines().back(), "Quit");
}

TEST_F(SdlBackendOnX, TerminationRequestQuits) {
  kill(desk_.Pid(), SIGTERM);
  auto status = desk_.WaitExit(5s);
  ASSERT_TRUE(status);
  EXPECT_TRUE(status->Clean()) << Describe(*status);
  EXPECT_EQ(Count("Quit"), 1);
}

TEST_F(SdlBackendOnX, PresentShowsJustTheGivenRectangle) {
  desk_.Key(main_.id, "r");
  EXPECT_TRUE(desk_.WaitPixel(main_.id, 5, 5, kRed));
  Screenshot s = desk_.Grab(main_.id);
  EXPECT_EQ(s.At(9, 9), kRed);
  EXPECT_EQ(s.At(10, 10), kBlack);
  EXPECT_EQ(s.At(100, 100), kWhite);
}

TEST_F(SdlBackendOnX, EventPostedFromAnotherThreadWakesTheLoop) {
  desk_.Key(main_.id, "p");
  EXPECT_TRUE(desk_.WaitStdoutLine("MediaNotify 7 1", 10s));
}

TEST_F(SdlBackendOnX, MessageBoxIsASmallCentredWindowThatTheKeysDismiss) {
  int id = 0;
  for (const char* key : {"Return", "KP_Enter", "space", "Escape"}) {
    ++id;
    WindowInfo box = OpenBox("b");
    ASSERT_NE(box.id, 0u);
    EXPECT_EQ(desk_.CountWindows("Probe"), 2);
    EXPECT_GE(box.width, 120);
    EXPECT_LT(box.width, 400);
    EXPECT_LT(box.height, 200);
    EXPECT_NEAR(box.x + box.width / 2, 512, 1);
    EXPECT_NEAR(box.y + box.height / 2, 384, 1);
    desk_.Key(box.id, key);
    EXPECT_TRUE(desk_.WaitStdoutLine("DialogDismissed " + std::to_string(id) + " 0", 10s)) << key;
    EXPECT_TRUE(WaitUntil([&] { return desk_.CountWindows("Probe") == 1; }, 10s)) << key;
  }
  // The box took the keys: none went down in the main window.
  EXPECT_TRUE(LinesStarting("KeyDown 13").empty());
  EXPECT_TRUE(LinesStarting("KeyDown 27").empty());
  EXPECT_TRUE(LinesStarting("KeyDown 32").empty());
}

TEST_F(SdlBackendOnX, SpaceClicksOkOnItsReleaseWhichStaysWithTheBox) {
  WindowInfo box = OpenBox("b");
  ASSERT_TRUE(Drawn(box));
  desk_.KeyDown(box.id, "space");
  // A marker that leaves the keyboard where it is: the box has had the key-down.
  desk_.Click(main_.id, 5, 5);
  ASSERT_TRUE(desk_.WaitStdoutLine("MouseUp 5 5 L", 10s));
  EXPECT_EQ(desk_.CountWindows("Probe"), 2);
  EXPECT_TRUE(LinesStarting("DialogDismissed").empty());
  desk_.KeyUp(box.id, "space");
  EXPECT_TRUE(desk_.WaitStdoutLine("DialogDismissed 1 0", 10s));
  // A release reaching the game would fire a shot nobody charged.
  EXPECT_TRUE(LinesStarting("KeyUp 32").empty());
}

TEST_F(SdlBackendOnX, AKeyHeldWhenABoxTakesTheKeyboardIsNotReleasedInTheWindow) {
  desk_.KeyDown(main_.id, "space");
  ASSERT_TRUE(desk_.WaitStdoutLine("KeyDown 32", 10s));
  WindowInfo box = OpenBox("b");
  ASSERT_TRUE(Drawn(box));
  // Released over the box, which never saw it go down: nothing happens.
  desk_.KeyUp(box.id, "space");
  desk_.Click(main_.id, 5, 5);  // a marker that leaves the keyboard where it is
  ASSERT_TRUE(desk_.WaitStdoutLine("MouseUp 5 5 L", 10s));
  EXPECT_EQ(desk_.CountWindows("Probe"), 2);
  desk_.Key(box.id, "Escape");
  ASSERT_TRUE(desk_.WaitStdoutLine("DialogDismissed 1 0", 10s));
  EXPECT_TRUE(LinesStarting("KeyUp 32").empty()) << "the window saw a release that never happened in it";
}

TEST_F(SdlBackendOnX, MessageBoxShowsItsLinesAndOnlyTheErrorBoxHasTheStopIcon) {
  WindowInfo plain = OpenBox("b");
  ASSERT_TRUE(Drawn(plain));
  Screenshot p = desk_.Grab(plain.id);
  EXPECT_FALSE(p.AnyIn(0, 0, p.width, p.height, kRed));
  // Two lines of text ("\r" breaks the line): ink in two bands above the button.
  auto rowHasInk = [&](int y) { return p.AnyIn(12, y, p.width - 24, 1, kBlack); };
  EXPECT_TRUE(rowHasInk(16));
  EXPECT_TRUE(rowHasInk(29));
  desk_.Key(plain.id, "Return");
  ASSERT_TRUE(WaitUntil([&] { return desk_.CountWindows("Probe") == 1; }, 10s));

  WindowInfo error = OpenBox("e");
  ASSERT_TRUE(Drawn(error));
  Screenshot e = desk_.Grab(error.id);
  EXPECT_TRUE(e.AnyIn(12, 12, 32, 32, kWhite)) << "the cross on the disc";
}

TEST_F(SdlBackendOnX, ClickOnOkDismissesAndClicksElsewhereDoNot) {
  WindowInfo box = OpenBox("b");
  ASSERT_TRUE(Drawn(box));
  desk_.Click(box.id, 4, 4, 1);
  desk_.Click(box.id, OkButton(box).first, OkButton(box).second, 3);
  // Pressed on OK, released away from it: no click.
  desk_.MouseDown(box.id, OkButton(box).first, OkButton(box).second, 1);
  desk_.MouseUp(box.id, 2, 2, 1);
  desk_.Key(main_.id, "r");  // a marker: the box's input before it has been handled
  ASSERT_TRUE(desk_.WaitStdoutLine("Red", 10s));
  EXPECT_EQ(desk_.CountWindows("Probe"), 2);
  EXPECT_TRUE(LinesStarting("DialogDismissed").empty());
  EXPECT_TRUE(LinesStarting("MouseDown").empty()) << "the box's clicks reached the main window";

  desk_.Click(box.id, OkButton(box).first, OkButton(box).second, 1);
  EXPECT_TRUE(desk_.WaitStdoutLine("DialogDismissed 1 0", 10s));
  EXPECT_TRUE(WaitUntil([&] { return desk_.CountWindows("Probe") == 1; }, 10s));
}

TEST_F(SdlBackendOnX, TheMainWindowStillReportsInputWhileABoxIsOpen) {
  OpenBox("b");
  desk_.Key(main_.id, "Left");
  EXPECT_TRUE(desk_.WaitStdoutLine("KeyDown 37", 10s));
  EXPECT_TRUE(LinesStarting("DialogDismissed").empty());
}

TEST_F(SdlBackendOnX, ClosingTheBoxWindowDismissesItAndTheMainPictureComesBack) {
  Screenshot before = desk_.Grab(main_.id);
  WindowInfo box = OpenBox("b");
  desk_.Close(box.id);
  EXPECT_TRUE(desk_.WaitStdoutLine("DialogDismissed 1 0", 10s));
  EXPECT_TRUE(desk_.Running()) << "closing a box must not end the program";
  EXPECT_TRUE(desk_.WaitPicture(main_.id, [&](const Screenshot& s) { return s.pixels == before.pixels; }));
  // The keyboard is back with the main window: nobody else would hand it back here.
  EXPECT_TRUE(WaitUntil([&] { return desk_.FocusedWindow() == main_.id; }, 5s));
  desk_.KeyToFocused("Down");
  EXPECT_TRUE(desk_.WaitStdoutLine("KeyDown 40", 10s));
}

// A game controller (SDL's virtual one, tests/e2e/sdl_probe.cpp) plays as the
// keyboard: D-pad and stick as arrows (the stick let go only under 30 %), A as
// Space, both repeating while held, Start as Enter, X as A, B as Escape; a box
// takes A and B, releases too, tapped on the keyboard's way there; a pad pulled out with A
// held lets go of Space; a joystick of no known kind is named, once for it and its twin.
TEST_F(SdlBackendOnX, AGameControllerPlaysAsTheKeyboard) {
  EXPECT_EQ(Count("Pads 0"), 1) << "controllers were started before the first picture";
  desk_.Key(main_.id, "g");
  ASSERT_TRUE(desk_.WaitStdoutLine("PadDone", 20s));
  std::vector<std::string> seen;  // held Up's and A's repeats, which the probe waits for, as one
  for (auto& l : Lines())
    if ((l.rfind("Key", 0) == 0 || l.rfind("Dialog", 0) == 0) && l.find(" 71") == std::string::npos &&
        (seen.empty() || l != seen.back()))
      seen.push_back(l);
  EXPECT_EQ(seen, (std::vector<std::string>{"KeyDown 38", "KeyUp 38", "KeyDown 32", "KeyUp 32", "KeyDown 13",
                                            "KeyUp 13", "KeyDown 38", "KeyDown 65", "KeyUp 65", "KeyUp 38",
                                            "KeyDown 27", "KeyUp 27", "DialogDismissed 1 0", "DialogDismissed 2 0",
                                            "KeyDown 32", "KeyUp 32"}));
  const std::string stick = "tarvolen: not a known game controller: Probe Stick\n", said = desk_.Stderr();
  EXPECT_TRUE(said.find(stick) != std::string::npos && said.find(stick) == said.rfind(stick)) << said;
}

}  // namespace
}  // namespace tv::e2e
