// The toolkit on its own: painting, invalidation, timers, the modal box and the error report.
#include <gtest/gtest.h>

#include <tuple>

#include "platform/toolkit/application.h"
#include "platform/base/exceptions.h"
#include "platform/toolkit/form.h"
#include "platform/headless/headless_backend.h"
#include "platform/toolkit/message_box_button.h"
#include "platform/toolkit/own_keys.h"
#include "platform/toolkit/timer.h"
#include "platform/toolkit/view.h"
#include "platform/toolkit/widgets.h"
#include "tests/support/game_harness.h"

namespace tv {
namespace {

Bitmap Solid(int w, int h, Pixel p) { return Bitmap(w, h, p); }

struct Toolkit : ::testing::Test {
  HeadlessBackend backend{test::SharedText()};
  TApplication app{backend};
  TForm form{app, 100, 80};
  Compositor& s = form.Surface();
  Toolkit() { app.SetMainForm(&form); }
};

TEST_F(Toolkit, LaterWidgetsDrawOverEarlierOnesAndOnTopWidgetsOverAll) {
  TImage back(s, "back", {0, 0, 50, 50}, Solid(50, 50, 0x112233), false);
  TPanel panel(s, test::SharedText(), "panel", {10, 10, 20, 20}, "", {}, clWhite, 0x0000FF);
  TImage front(s, "front", {5, 5, 30, 30}, Solid(30, 30, 0x445566), false);
  form.AddControl(&back);
  form.AddControl(&panel);  // added before `front`, still drawn above it
  form.AddControl(&front);
  EXPECT_EQ(s.ReadPixel(2, 2), 0x112233u);
  EXPECT_EQ(s.ReadPixel(7, 7), 0x445566u);
  EXPECT_EQ(s.ReadPixel(15, 15), 0xFF0000u);  // panel's fill, 0x00BBGGRR red
  EXPECT_EQ(s.ReadPixel(70, 70), 0u);          // no widget: black
}

TEST_F(Toolkit, TransparencyFollowsTheBottomLeftPixelAndWhiteForTwoColourPictures) {
  Bitmap pic(3, 3, 0x00FF00);
  pic.Set(1, 1, 0xFF0000);
  TImage under(s, "under", {0, 0, 10, 10}, Solid(10, 10, 0x0000AA), false);
  TImage img(s, "img", {0, 0, 3, 3}, pic, true);
  form.AddControl(&under);
  form.AddControl(&img);
  EXPECT_EQ(s.ReadPixel(0, 0), 0x0000AAu);  // green like the bottom-left: left out
  EXPECT_EQ(s.ReadPixel(1, 1), 0xFF0000u);

  Bitmap mono(2, 2, 0x000000);
  mono.Set(1, 0, 0xFFFFFF);
  mono.monochrome = true;
  img.SetPicture(mono);
  EXPECT_EQ(s.ReadPixel(0, 1), 0x000000u);  // black bottom-left, but white is the key
  EXPECT_EQ(s.ReadPixel(1, 0), 0x0000AAu);
}

TEST_F(Toolkit, PicturesAreClippedToTheirWidgetAndZeroSizedWidgetsDrawNothing) {
  TImage big(s, "big", {10, 10, 5, 4}, Solid(20, 20, 0xABCDEF), false);
  TImage flat(s, "flat", {30, 30, 10, 0}, Solid(10, 10, 0x123456), false);
  TBevel bevel(s, "bevel", {0, 50, 60, 0});
  form.AddControl(&big);
  form.AddControl(&flat);
  form.AddControl(&bevel);
  EXPECT_EQ(s.ReadPixel(14, 13), 0xABCDEFu);
  EXPECT_EQ(s.ReadPixel(15, 13), 0u);
  EXPECT_EQ(s.ReadPixel(14, 14), 0u);
  EXPECT_EQ(s.ReadPixel(30, 30), 0u);
  EXPECT_EQ(s.ReadPixel(0, 50), 0u);
}

TEST_F(Toolkit, LoweredBoxTwoRowsHighPaintsShadowThenHighlightWithAShadowCorner) {
  TBevel bevel(s, "b", {0, 10, 120, 2});
  form.AddControl(&bevel);
  const Pixel shadow = ToPixel(clBtnShadow), light = ToPixel(clBtnHighlight);
  for (int x = 0; x < 100; ++x) EXPECT_EQ(s.ReadPixel(x, 10), shadow) << x;
  EXPECT_EQ(s.ReadPixel(0, 11), shadow);
  for (int x = 1; x < 100; ++x) EXPECT_EQ(s.ReadPixel(x, 11), light) << x;
}

TEST_F(Toolkit, PanelHasARaisedFrameAndACentredCaption) {
  TPanel panel(s, test::SharedText(), "p", {10, 10, 80, 25}, "Exit", {}, clWhite, 0x000000FF);
  form.AddControl(&panel);
  EXPECT_EQ(s.ReadPixel(10, 10), ToPixel(clBtnHighlight));
  EXPECT_EQ(s.ReadPixel(10, 20), ToPixel(clBtnHighlight));
  EXPECT_EQ(s.ReadPixel(89, 20), ToPixel(clBtnShadow));
  EXPECT_EQ(s.ReadPixel(50, 34), ToPixel(clBtnShadow));
  // The caption's ink is centred: as much fill to its left as to its right.
  int minX = 1000, maxX = -1, minY = 1000, maxY = -1;
  for (int y = 11; y < 34; ++y)
    for (int x = 11; x < 89; ++x)
      if (s.ReadPixel(x, y) != 0xFF0000u) {
        minX = std::min(minX, x), maxX = std::max(maxX, x);
        minY = std::min(minY, y), maxY = std::max(maxY, y);
      }
  ASSERT_GE(maxX, 0) << "no caption drawn";
  EXPECT_NEAR((minX - 11) - (88 - maxX), 0, 3);
  EXPECT_NEAR((minY - 11) - (33 - maxY), 0, 5);
}

TEST_F(Toolkit, OnlyInvalidatedRegionsAreRecomposed) {
  TImage img(s, "img", {0, 0, 10, 10}, Solid(10, 10, 0x333333), false);
  form.AddControl(&img);
  s.Update();
  // Something drawn straight onto the window survives until its pixels are recomposed.
  s.DrawTarget().Set(50, 50, 0xFFFF00);
  img.SetLeft(5);
  EXPECT_EQ(s.ReadPixel(50, 50), 0xFFFF00u);
  EXPECT_EQ(s.ReadPixel(2, 2), 0u);  // the old place is cleared
  EXPECT_EQ(s.ReadPixel(12, 2), 0x333333u);
  s.Invalidate({45, 45, 10, 10});
  EXPECT_EQ(s.ReadPixel(50, 50), 0u);
}

TEST_F(Toolkit, CanvasLinesLeaveOutTheirLastPoint) {
  s.Update();
  form.Canvas().SetPenColor(0x00FFFF);
  form.Canvas().Polyline({{10, 10}, {20, 10}, {20, 15}});
  EXPECT_EQ(s.ReadPixel(10, 10), 0xFFFF00u);
  EXPECT_EQ(s.ReadPixel(19, 10), 0xFFFF00u);
  EXPECT_EQ(s.ReadPixel(20, 14), 0xFFFF00u);
  EXPECT_EQ(s.ReadPixel(20, 15), 0u);
  EXPECT_EQ(form.Canvas().GetPixel(15, 10), TColor(0x00FFFF));
}

TEST_F(Toolkit, SwitchingATimerOnStartsAFreshInterval) {
  TTimer t(app, "t", 10);
  std::vector<uint64_t> ticks;
  t.OnTimer = [&] { ticks.push_back(backend.NowMs()); };
  app.RunFor(5);
  t.SetEnabled(true);  // at 5
  app.RunFor(26);
  EXPECT_EQ(ticks, (std::vector<uint64_t>{15, 25}));
  t.SetEnabled(false);
  app.RunFor(2);  // 33
  t.SetEnabled(true);
  app.RunFor(4);
  t.SetEnabled(true);  // on while on: nothing changes
  app.RunFor(7);
  EXPECT_EQ(ticks.back(), 43u);
}

TEST_F(Toolkit, ATimerThatFallsBehindDeliversOneTickNotABacklog) {
  TTimer t(app, "t", 10);
  TTimer slow(app, "slow", 15);
  int ticks = 0;
  t.OnTimer = [&] { ++ticks; };
  slow.OnTimer = [&] {
    backend.SleepMs(100);  // a handler that stalls the loop
    slow.SetEnabled(false);
  };
  t.SetEnabled(true);
  slow.SetEnabled(true);
  app.RunFor(16);  // t at 10; slow at 15 stalls the loop until 115
  EXPECT_EQ(ticks, 2);  // one tick for the whole stall, at 115
  app.RunFor(9);
  EXPECT_EQ(ticks, 2);
  app.RunFor(1);
  EXPECT_EQ(ticks, 3);  // and the next a full interval later
}

TEST_F(Toolkit, APumpInsideAHandlerRunsPendingInputAndDueTicks) {
  TTimer t(app, "t", 10);
  std::vector<std::string> log;
  t.OnTimer = [&] {
    log.push_back("tick");
    t.SetEnabled(false);
  };
  form.OnKeyDown = [&](uint16_t k) {
    log.push_back("key" + std::to_string(k));
    if (k == 1) {
      backend.SleepMs(20);  // the timer falls due and another key arrives meanwhile
      backend.KeyDown(backend.NowMs(), 2);
      app.ProcessMessages();
      log.push_back("after pump");
    }
  };
  t.SetEnabled(true);
  backend.KeyDown(5, 1);
  app.RunFor(50);
  EXPECT_EQ(log, (std::vector<std::string>{"key1", "key2", "tick", "after pump"}));
}

TEST_F(Toolkit, MessageBoxLetsTimersTickAndTakesTheWindowsInput) {
  TTimer t(app, "t", 10);
  int ticks = 0, keys = 0;
  t.OnTimer = [&] { ++ticks; };
  form.OnKeyDown = [&](uint16_t) { ++keys; };
  backend.dismissAfter = [](const HeadlessBackend::MessageBoxRecord&) { return 55; };
  t.SetEnabled(true);
  backend.KeyDown(20, 'X');
  app.MessageBox("Hello");
  EXPECT_EQ(ticks, 5);
  EXPECT_EQ(keys, 0);
  ASSERT_EQ(backend.Boxes().size(), 1u);
  EXPECT_EQ(backend.Boxes()[0].text, "Hello");
  EXPECT_FALSE(backend.Boxes()[0].stopIcon);
  EXPECT_EQ(backend.OpenBoxes(), 0);
}

TEST_F(Toolkit, AnErrorEscapingAHandlerIsReportedAndTheLoopGoesOn) {
  app.SetTitle("Tarvolen");
  int after = 0;
  form.OnKeyDown = [&](uint16_t k) {
    if (k == 1) throw Exception("Bitmap image is not valid");
    ++after;
  };
  backend.KeyDown(1, 1);
  backend.KeyDown(2, 2);
  app.RunFor(10);
  ASSERT_EQ(backend.Boxes().size(), 1u);
  EXPECT_EQ(backend.Boxes()[0].text, "Bitmap image is not valid.");
  EXPECT_EQ(backend.Boxes()[0].caption, "Tarvolen");
  EXPECT_TRUE(backend.Boxes()[0].stopIcon);
  EXPECT_EQ(after, 1);
}

TEST(ErrorReport, AppendsAFullStopOnlyAfterALastByteThatSortsAfterIt) {
  EXPECT_EQ(ErrorReportText(""), "");
  EXPECT_EQ(ErrorReportText("Unknown error code"), "Unknown error code.");
  EXPECT_EQ(ErrorReportText("Done."), "Done.");
  EXPECT_EQ(ErrorReportText("Wait!"), "Wait!");    // '!' sorts before '.'
  EXPECT_EQ(ErrorReportText("path/"), "path/.");   // '/' sorts after '.'
  EXPECT_EQ(ErrorReportText("x-"), "x-");
  EXPECT_EQ(ErrorReportText("caf\xE9"), "caf\xE9.");  // high bytes sort after
}

TEST_F(Toolkit, ClosingTheWindowEndsEveryLoopNestedOnesToo) {
  backend.dismissAfter = [](const HeadlessBackend::MessageBoxRecord&) { return -1; };
  TTimer t(app, "t", 10);
  t.OnTimer = [&] {};
  t.SetEnabled(true);
  Event quit;
  quit.type = Event::Type::Quit;
  backend.At(30, quit);
  app.MessageBox("never dismissed");
  EXPECT_TRUE(app.Terminated());
  app.MessageBox("not shown once terminated");
  EXPECT_EQ(backend.Boxes().size(), 1u);
}

TEST_F(Toolkit, LeftButtonIsHeldByTheWidgetItWentDownOn) {
  TLabel label(s, test::SharedText(), "l", {10, 10}, "link", {}, clLime, clBlack);
  form.AddControl(&label);
  std::vector<std::string> log;
  label.OnMouseDown = [&](MouseButton, int, int) { log.push_back("down"); };
  label.OnMouseUp = [&](MouseButton, int, int) { log.push_back("up"); };
  label.OnClick = [&] { log.push_back("click"); };
  auto mouse = [&](Event::Type t, int x, int y, MouseButton b) { form.HandleInput(Event::Mouse(t, x, y, b)); };
  mouse(Event::Type::MouseDown, 12, 12, MouseButton::Left);
  mouse(Event::Type::MouseUp, 12, 12, MouseButton::Left);
  mouse(Event::Type::MouseDown, 12, 12, MouseButton::Left);
  mouse(Event::Type::MouseUp, 90, 70, MouseButton::Left);  // released away: no click, still up
  mouse(Event::Type::MouseDown, 12, 12, MouseButton::Right);
  mouse(Event::Type::MouseUp, 90, 70, MouseButton::Right);  // right release away: not the label's
  mouse(Event::Type::MouseUp, 12, 12, MouseButton::Right);
  EXPECT_EQ(log, (std::vector<std::string>{"down", "click", "up", "down", "up", "down", "up"}));

  // Hidden while it holds the mouse: no move, no release, no click reaches it.
  log.clear();
  label.OnMouseMove = [&](int, int) { log.push_back("move"); };
  mouse(Event::Type::MouseDown, 12, 12, MouseButton::Left);
  label.Hide();
  mouse(Event::Type::MouseMove, 13, 13, MouseButton::Left);
  mouse(Event::Type::MouseUp, 12, 12, MouseButton::Left);
  label.Show();
  mouse(Event::Type::MouseMove, 13, 13, MouseButton::Left);
  EXPECT_EQ(log, (std::vector<std::string>{"down", "move"}));
}

// The window takes at most four fifths of the usable screen; fullscreen centres the largest whole scale.
TEST(WindowScale, TheLargestThatFitsFourFifthsOfTheScreenAndFullscreenCentres) {
  using Screen = std::tuple<int, int, int>;  // width, height, the scale that fits
  for (auto [w, h, n] : {Screen{1366, 768, 1}, {1920, 1080, 1}, {2560, 1440, 2}, {3840, 2160, 3}, {8000, 5000, 4}})
    EXPECT_EQ(ScaleToFit(w, h, 586, 440, 4), n) << w << "x" << h;
  const View v = CentredView(2560, 1440, 586, 440);
  EXPECT_EQ(std::tuple(v.scale, v.x, v.y), std::tuple(3, 401, 60));
}

// Enter and Escape dismiss as they go down, Space (a pad's A too) as it comes
// up, the mouse with a click on OK; a key held from before the box, the
// keyboard leaving it and a press slid off OK leave it open.
TEST(MessageBoxButton, DismissesOnceOnAnAnswerAndNeverOnWhatIsNoAnswer) {
  using From = MessageBoxButton::From;
  const Rect ok{10, 20, 75, 23};
  for (auto [key, from] : {std::pair(VK_RETURN, From::Keyboard), std::pair(VK_ESCAPE, From::Pad)}) {
    MessageBoxButton b(ok);
    EXPECT_FALSE(b.KeyDown(key, true, from)) << "held when the box opened";
    EXPECT_TRUE(b.KeyDown(key, false, from));
    EXPECT_FALSE(b.KeyDown(key, false, from)) << "dismissed once";
    EXPECT_FALSE(b.Close());
  }
  MessageBoxButton b(ok);
  EXPECT_FALSE(b.KeyUp(VK_SPACE, From::Keyboard, true)) << "a Space pressed before the box";
  b.KeyDown(VK_SPACE, false, From::Keyboard);
  EXPECT_TRUE(b.Pressed());
  EXPECT_FALSE(b.KeyUp(VK_SPACE, From::Keyboard, false)) << "the keyboard left the box";
  EXPECT_FALSE(b.Pressed());
  b.KeyDown(VK_SPACE, false, From::Pad);
  EXPECT_FALSE(b.KeyUp(VK_SPACE, From::Keyboard, true)) << "the keyboard's Space did not go down in it";
  EXPECT_TRUE(b.KeyUp(VK_SPACE, From::Pad, false)) << "a pad's release needs no keyboard";

  MessageBoxButton m(ok);
  m.MouseDown(MouseButton::Right, 20, 30);
  m.MouseDown(MouseButton::Left, 5, 5);
  EXPECT_FALSE(m.Pressed());
  EXPECT_FALSE(m.MouseUp(MouseButton::Left, 20, 30)) << "pressed off OK";
  m.MouseDown(MouseButton::Left, 20, 30);
  m.MouseMove(5, 5);
  EXPECT_FALSE(m.Pressed());
  EXPECT_FALSE(m.MouseUp(MouseButton::Left, 5, 5)) << "slid off OK";
  m.MouseDown(MouseButton::Left, 20, 30);
  m.MouseMove(5, 5);
  m.MouseMove(84, 42);
  EXPECT_TRUE(m.Pressed());
  EXPECT_TRUE(m.MouseUp(MouseButton::Left, 84, 42));
  EXPECT_FALSE(m.Close());
}

// F11 and Alt+Enter switch fullscreen and M the sound, once a press; their
// repeats and their releases are the window's too, matched by the key's place.
TEST(OwnKeys, SwitchOnceAPressAndKeepTheirRepeatsAndReleasesFromTheGame) {
  using Use = OwnKeys::Use;
  OwnKeys keys;
  auto press = [&](uint16_t key, int place, bool alt = false, bool repeat = false, bool ctrl = false) {
    return keys.Claim({key, place, true, repeat, alt, ctrl});
  };
  auto release = [&](uint16_t key, int place) { return keys.Claim({key, place, false}); };
  EXPECT_EQ(release(VK_RETURN, 0), Use::Game) << "no own key is held";
  EXPECT_EQ(press(VK_RETURN, 40, true), Use::Fullscreen);
  EXPECT_EQ(press(VK_RETURN, 40, true, true), Use::Swallowed);
  EXPECT_EQ(press(VK_RETURN, 88), Use::Game) << "the keypad's Enter without Alt";
  EXPECT_EQ(release(VK_RETURN, 88), Use::Game);
  EXPECT_EQ(release(VK_RETURN, 40), Use::Swallowed) << "Alt let go first";
  EXPECT_EQ(press('M', 16, false, false, true), Use::Game) << "Ctrl+M";
  EXPECT_EQ(press('M', 16), Use::Mute);
  EXPECT_EQ(press(122, 68), Use::Fullscreen) << "F11";
  EXPECT_EQ(release('M', 16), Use::Swallowed);
  EXPECT_EQ(release(122, 68), Use::Swallowed);
  EXPECT_EQ(release('M', 16), Use::Game);
}

}  // namespace
}  // namespace tv

namespace tv {
namespace {

// A widget that dies before its form takes its picture and its hold on the
// mouse with it: nothing recomposes or calls into it afterwards.
TEST_F(Toolkit, AWidgetDestroyedBeforeItsFormLeavesThePictureAndTheMouse) {
  int calls = 0;
  {
    TImage doomed(s, "doomed", {10, 10, 20, 20}, Solid(20, 20, 0x445566), false);
    doomed.OnMouseUp = [&](MouseButton, int, int) { ++calls; };
    doomed.OnMouseMove = [&](int, int) { ++calls; };
    form.AddControl(&doomed);
    ASSERT_EQ(s.ReadPixel(15, 15), 0x445566u);
    form.HandleInput(Event::Mouse(Event::Type::MouseDown, 15, 15, MouseButton::Left));
  }
  ASSERT_EQ(s.ReadPixel(15, 15), 0u);
  s.InvalidateAll();
  EXPECT_EQ(s.ReadPixel(15, 15), 0u);
  form.HandleInput(Event::Mouse(Event::Type::MouseMove, 16, 16, MouseButton::Left));
  form.HandleInput(Event::Mouse(Event::Type::MouseUp, 16, 16, MouseButton::Left));
  EXPECT_EQ(calls, 0);
}

TEST_F(Toolkit, AnExposeShowsThePictureAgainWithoutRecomposingIt) {
  s.Update();
  s.TakeChanged();
  s.DrawTarget().Set(3, 3, 0xFFFF00);  // canvas drawing, owned by no widget
  Event expose;
  expose.type = Event::Type::Expose;
  backend.At(1, expose);
  app.RunFor(2);
  EXPECT_EQ(s.ReadPixel(3, 3), 0xFFFF00u);
}

}  // namespace
}  // namespace tv
