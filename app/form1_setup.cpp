// Match set-up: the playfield replaces the menu and a match or level is prepared.
#include <optional>

#include "app/form1.h"
#include "assets/backdrop.h"
#include "assets/disc.h"
#include "game/levels.h"
#include "platform/files/picture_file.h"

namespace tv {

namespace {

// A five-pointed star, point up, in the sky at the top right: five strokes
// back to the first point.
const std::vector<Point> kStar = {{540, 13}, {520, 63}, {570, 33}, {510, 33}, {560, 63}, {540, 13}};

// Holds the computer's first tick until the set-up has finished, restoring the
// previous hold when set-ups nest.
class HoldTimer {
 public:
  explicit HoldTimer(TTimer& t) : t_(t), was_(t.Held()) { t_.Hold(true); }
  ~HoldTimer() { t_.Hold(was_); }
  HoldTimer(const HoldTimer&) = delete;
  HoldTimer& operator=(const HoldTimer&) = delete;

 private:
  TTimer& t_;
  bool was_;
};

// Marks the set-up as running from the current menu opening, restoring the
// previous mark when set-ups nest.
class SetUpMark {
 public:
  SetUpMark(std::optional<uint64_t>& mark, uint64_t openings) : mark_(mark), was_(mark) { mark_ = openings; }
  ~SetUpMark() { mark_ = was_; }
  SetUpMark(const SetUpMark&) = delete;
  SetUpMark& operator=(const SetUpMark&) = delete;

 private:
  std::optional<uint64_t>& mark_;
  std::optional<uint64_t> was_;
};

}  // namespace

// Game keys that arrive during the set-up are dropped (FormKeyDown); Escape
// still opens the menu, and then the set-up stops after the pump that did it.
void TForm1::OyunuAc() {
  HoldTimer hold(Timer3);
  const uint64_t openings = menuOpenings_;
  SetUpMark mark(setUpFrom_, openings);
  const auto menuOpened = [&] { return menuOpenings_ != openings; };
  for (TLabel* l : {&Label3, &Label4, &Label5, &Label6, &Label8, &Label9, &Label10}) l->Hide();
  Label1.Show();
  Label2.Show();
  Image1.Show();
  Image2.Show();
  if (Image3.Picture().pixels.empty()) Image3.SetPicture(BackdropPicture());
  Image3.Show();
  App().ProcessMessages();
  if (menuOpened()) return;
  Image4.Show();
  Image5.Show();
  Bevel1.Show();
  for (TPanel* p : {&Panel1, &Panel2, &Panel3, &Panel4}) p->Hide();

  if (const auto level = LevelPictureNumber(g.Level)) {
    Image4.SetPicture(LoadBitmapFile(DataFile(std::to_string(*level) + ".bmp")));
    Image4.SetWidth(LevelSide(*level));
    Image4.SetHeight(LevelSide(*level));
  }
  Image4.SetLeft(TargetLeft(ClientWidth(), Image4.Width()));

  ReseedRandom(g, App().GetBackend().PerformanceCounter());
  Image1.SetTop(int32_t(RandomBelow(g, uint32_t(Image3.Height() - Image1.Height() - 100))) + 100);
  Image4.SetTop(int32_t(RandomBelow(g, uint32_t(Image3.Height() - Image4.Height() - 100))) + 100);
  g.Gravity = 10;
  g.Power = 0;

  // The star in yellow (65535 is red and green in 0x00BBGGRR), straight on the
  // window: no widget owns it, so it stays until that corner is next recomposed
  // (SetUpMatch.TheStarIsDrawnOnTheWindowUntilThatRegionIsRecomposed).
  Canvas().SetPenColor(65535);
  Canvas().Polyline(kStar);
  // The probe: the backdrop's sky at (40, 10) is dark grey (#11110F), never black,
  // so over the built-in backdrop no box shows. Only a window showing pure black
  // there (no backdrop under that point) gets the empty box, and it holds the
  // set-up, the balls not yet placed and the music not started, until dismissed
  // (SetUpMatch.ThePixelProbeShowsAnEmptyBoxOnlyOnPureBlackBeforeTheBallsArePlaced).
  if (Canvas().GetPixel(40, 10) == 0) App().MessageBox("");
  if (menuOpened()) return;

  ToplariDuzelt(1);
  App().ProcessMessages();
  if (menuOpened()) return;
  PlayMusic(std::to_string(g.Level) + ".mid");
  App().ProcessMessages();
}

}  // namespace tv
