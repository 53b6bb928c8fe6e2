// Match set-up: the playfield, the level's target, the heights, the star, the probe.
#include <gtest/gtest.h>

#include "app/form1_layout.h"
#include "platform/base/exceptions.h"
#include "platform/files/bmp.h"
#include "tests/support/data_dir.h"
#include "tests/support/game_harness.h"

namespace tv {
namespace {

constexpr int kSide[] = {128, 100, 80, 64, 32, 16, 10, 3};

struct SetUpMatch : ::testing::Test {
  test::DataDir data;
  test::Game game{data.Path()};
  TForm1& f = *game.form;
  GameState& g = game.state;

  void SetUp() override { game.Start(); }
  void SetUpLevel(int64_t level) {
    g.Phase = kKullanici;
    g.Turn = kKullanici1;
    g.Level = level;
    f.OyunuAc();
  }
  std::string LastOpened() const {
    auto opens = game.media.Of(0x0803);
    return opens.empty() ? "" : opens.back().elementName;
  }
};

TEST_F(SetUpMatch, EachLevelSizesAndPlacesTheTargetAndPlaysItsMusic) {
  for (int level = 1; level <= 8; ++level) {
    const int side = kSide[level - 1];
    int lowest = 1000, highest = -1;
    for (uint64_t seed = 0; seed < 60; ++seed) {
      game.backend.SetPerformanceCounter(seed * 0x9E3779B97F4A7C15ull);
      SetUpLevel(level);
      EXPECT_EQ(f.Image4.Width(), side);
      EXPECT_EQ(f.Image4.Height(), side);
      EXPECT_EQ(f.Image4.Left(), TForm1::kClientWidth - side - 5);
      lowest = std::min(lowest, f.Image4.Top());
      highest = std::max(highest, f.Image4.Top());
      EXPECT_GE(f.Image1.Top(), 100);
      EXPECT_LE(f.Image1.Top(), 385);
    }
    EXPECT_GE(lowest, 100) << level;
    EXPECT_LE(highest, 402 - side - 1) << level;
    EXPECT_GT(highest - lowest, (402 - side - 100) / 2) << level;  // spread over the range
    EXPECT_EQ(LastOpened(), data.File(std::to_string(level) + ".mid"));
    EXPECT_EQ(g.Gravity, 10);
    EXPECT_EQ(g.Power, 0);
    EXPECT_EQ(g.Angle, 0);
  }
}

TEST_F(SetUpMatch, TheHeightsComeFromTheGeneratorReseededFromTheClock) {
  game.backend.SetPerformanceCounter(0x1'0000'0005ull);  // only the low 32 bits count
  SetUpLevel(1);
  GameState expect;
  ReseedRandom(expect, 5);
  EXPECT_EQ(f.Image1.Top(), int(RandomBelow(expect, 402 - 16 - 100)) + 100);
  EXPECT_EQ(f.Image4.Top(), int(RandomBelow(expect, 402 - 128 - 100)) + 100);
}

TEST_F(SetUpMatch, ALevelOutsideOneToEightLoadsNoPictureButStillNamesItsMusic) {
  SetUpLevel(3);
  for (int64_t level : {int64_t(0), int64_t(9), int64_t(-1), (int64_t(1) << 32) | 3}) {
    SetUpLevel(level);
    EXPECT_EQ(f.Image4.Width(), 80) << level;
    EXPECT_EQ(f.Image4.Left(), 501);
    EXPECT_EQ(LastOpened(), data.File(std::to_string(level) + ".mid"));
  }
}

TEST_F(SetUpMatch, TwoSetUpsKeepTheLeftLaunchersSlideButMoveBothHeights) {
  f.Image1.SetLeft(40);
  std::set<int> tops;
  for (uint64_t seed = 1; seed < 6; ++seed) {
    game.backend.SetPerformanceCounter(seed * 7777);
    SetUpLevel(6);
    EXPECT_EQ(f.Image1.Left(), 40);
    tops.insert(f.Image1.Top());
  }
  EXPECT_GT(tops.size(), 1u);
}

TEST_F(SetUpMatch, TheStarIsDrawnOnTheWindowUntilThatRegionIsRecomposed) {
  SetUpLevel(1);
  const Pixel yellow = 0xFFFF00;
  for (Point p : {Point{540, 13}, Point{520, 63}, Point{570, 33}, Point{510, 33}, Point{560, 63}, Point{530, 38}})
    EXPECT_EQ(game.PixelAt(p.x, p.y), yellow) << p.x << "," << p.y;
  game.Run(50);
  EXPECT_EQ(game.PixelAt(540, 13), yellow);
  f.Surface().Invalidate({500, 0, 86, 70});
  EXPECT_NE(game.PixelAt(540, 13), yellow);
  EXPECT_NE(game.PixelAt(520, 63), yellow);
}

TEST_F(SetUpMatch, ThePixelProbeShowsAnEmptyBoxOnlyOnPureBlackBeforeTheBallsArePlaced) {
  SetUpLevel(1);
  EXPECT_EQ(game.PixelAt(40, 10), 0x11110Fu);
  EXPECT_TRUE(game.backend.Boxes().empty());

  f.Image3.SetPicture(Bitmap(593, 402, 0));
  f.Image2.SetBounds({1, 1, 7, 12});
  size_t opensBefore = 0;
  bool ballPlaced = true;
  game.backend.dismissAfter = [&](const HeadlessBackend::MessageBoxRecord&) {
    ballPlaced = f.Image2.Left() != 1;
    opensBefore = game.media.Of(0x0803).size();
    return 100;
  };
  const size_t opens = game.media.Of(0x0803).size();
  SetUpLevel(2);
  ASSERT_EQ(game.backend.Boxes().size(), 1u);
  EXPECT_EQ(game.backend.Boxes()[0].text, "");
  EXPECT_EQ(game.backend.Boxes()[0].caption, "Tarvolen");
  EXPECT_FALSE(game.backend.Boxes()[0].stopIcon);
  EXPECT_FALSE(ballPlaced);
  EXPECT_EQ(opensBefore, opens);  // the level music waits for the box
  EXPECT_EQ(game.media.Of(0x0803).size(), opens + 1);
}

// Input queued with the Enter that starts a match runs inside the set-up's
// pumps: an Escape leaves a whole menu, game keys and the rows wait for nothing.
TEST_F(SetUpMatch, InputQueuedWithTheStartNeverActsOnAHalfBuiltPlayfield) {
  auto atOnce = [&](std::vector<Event> events) {
    game.StartMode(0);
    game.Key(VK_ESCAPE);
    game.Run(1);
    for (const Event& e : events) game.backend.At(game.Now(), e);
    game.Run(1);
  };
  auto key = [](Event::Type t, uint16_t k) { return Event::Key(t, k); };
  const auto down = Event::Type::KeyDown, up = Event::Type::KeyUp;

  atOnce({key(down, VK_RETURN), key(down, VK_ESCAPE), key(down, VK_DOWN)});
  EXPECT_EQ(g.Phase, kMenu);
  EXPECT_EQ(g.MenuIndex, 1);  // the menu's keys act on the menu that opened
  EXPECT_TRUE(f.Panel1.Visible() && f.Panel4.Visible());
  EXPECT_FALSE(f.Image3.Visible() || f.Image4.Visible() || f.Bevel1.Visible());
  EXPECT_EQ(LastOpened(), data.File("0.mid"));
  EXPECT_TRUE(game.backend.Boxes().empty());

  // A Space with the start fires nothing; one after it fires from the placed ball.
  atOnce({key(down, VK_RETURN), key(down, VK_SPACE), key(up, VK_SPACE)});
  EXPECT_EQ(g.Phase, kKullanici);
  EXPECT_FALSE(f.Timer2.Enabled() || f.ProgressBar1.Visible());
  const int ballLeft = f.Image2.Left(), ballTop = f.Image2.Top();
  game.Key(VK_SPACE, 5);
  game.Run(10);
  EXPECT_EQ(g.Phase, kHareket);
  EXPECT_EQ(g.LaunchLeft, ballLeft);
  EXPECT_EQ(g.LaunchTop, ballTop);

  // The pointer over Exit, a click there and a held button on row 2 change nothing.
  const Point row2 = RowCentre(1), exitRow = RowCentre(3);
  atOnce({Event::Mouse(Event::Type::MouseDown, row2.x, row2.y), key(down, VK_RETURN),
          Event::Mouse(Event::Type::MouseMove, exitRow.x, exitRow.y), Event::Mouse(Event::Type::MouseUp, exitRow.x, exitRow.y),
          Event::Mouse(Event::Type::MouseDown, exitRow.x, exitRow.y), Event::Mouse(Event::Type::MouseUp, exitRow.x, exitRow.y)});
  EXPECT_EQ(g.Phase, kKullanici);
  EXPECT_EQ(g.MenuIndex, 0);
  EXPECT_FALSE(game.app.Terminated());
}

TEST_F(SetUpMatch, TransparencyFollowsTheLevelPicturesBottomLeftPixel) {
  Bitmap pic(100, 100, 0x00FF00);  // green ground, green bottom-left
  for (int y = 40; y < 60; ++y)
    for (int x = 40; x < 60; ++x) pic.Set(x, y, 0xFF0000);
  data.Write("2.bmp", BmpBytes(pic));
  f.Image3.SetPicture(Bitmap(593, 402, 0x000080));
  SetUpLevel(2);
  const int l = f.Image4.Left(), t = f.Image4.Top();
  EXPECT_EQ(game.PixelAt(l + 5, t + 5), 0x000080u);  // green left out: the backdrop shows
  EXPECT_EQ(game.PixelAt(l + 50, t + 50), 0xFF0000u);
}

TEST_F(SetUpMatch, ABiggerPictureShowsOnlyItsTopLeftSquare) {
  Bitmap pic(200, 200, 0xFFFFFF);
  for (int y = 0; y < 200; ++y)
    for (int x = 0; x < 200; ++x)
      if (x < 100 && y < 100) pic.Set(x, y, 0x0000FF);
      else if (x != 0 || y != 199) pic.Set(x, y, 0xFF0000);
  data.Write("2.bmp", BmpBytes(pic));
  SetUpLevel(2);
  ASSERT_EQ(f.Image4.Width(), 100);
  const int l = f.Image4.Left(), t = f.Image4.Top();
  EXPECT_EQ(game.PixelAt(l, t), 0x0000FFu);
  EXPECT_EQ(game.PixelAt(l + 99, t + 99), 0x0000FFu);
  for (int y = t - 1; y <= t + 100; ++y)
    for (int x = l; x < TForm1::kClientWidth; ++x) EXPECT_NE(game.PixelAt(x, y), 0xFF0000u);
}

TEST_F(SetUpMatch, AMissingOrBrokenPictureIsReportedAndLeavesTheOldTargetInPlace) {
  game.backend.SetPerformanceCounter(42);
  SetUpLevel(1);
  const Rect before = f.Image4.BoundsRect();
  const int leftTop = f.Image1.Top();
  data.Remove("2.bmp");
  data.Truncate("3.bmp", 30);
  game.backend.SetPerformanceCounter(4242);
  for (int level : {2, 3}) {
    g.Level = level;
    g.Power = 55;
    game.backend.KeyDown(game.Now(), 'Z');
    f.OnKeyDown = [&](uint16_t) { f.OyunuAc(); };
    game.Run(1);
    EXPECT_EQ(f.Image4.BoundsRect(), before);
    EXPECT_EQ(f.Image1.Top(), leftTop);
    EXPECT_EQ(g.Power, 55);
    EXPECT_EQ(f.Image4.Picture().width, 128);
  }
  ASSERT_EQ(game.backend.Boxes().size(), 2u);
  EXPECT_EQ(game.backend.Boxes()[0].text, "Cannot open file \"" + data.File("2.bmp") + "\". No such file or directory.");
  EXPECT_EQ(game.backend.Boxes()[1].text, "Bitmap image is not valid.");
  EXPECT_TRUE(game.backend.Boxes()[1].stopIcon);
  EXPECT_FALSE(f.Panel1.Visible());  // what came before the load stays done
}

}  // namespace
}  // namespace tv
