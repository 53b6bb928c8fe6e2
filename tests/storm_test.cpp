// Random input at random moments, including inside the handlers' own event
// pumps (a flight's last tick, the computer's tick, an open box): after every
// handler the game must still be one whole screen, in one mode, and moving.
#include <gtest/gtest.h>

#include <cstdlib>
#include <random>
#include <sstream>

#include "app/form1_layout.h"
#include "tests/support/game_harness.h"

namespace tv {
namespace {

// Where a storm event arrives: at its time, or at the first of these moments after it.
enum class Moment { kAt, kFlightEnd, kComputerTick, kBoxOpen };

struct StormEvent {
  uint64_t at = 0;
  Moment moment = Moment::kAt;
  Event ev;
};

int RowMiddleY(int row) { return RowCentre(row).y; }
// Inside every row, left of its caption, and under its caption.
constexpr int kRowLeftX = kRowBounds[0].x + 8, kRowCaptionX = RowCentre(0).x;

std::string Describe(const StormEvent& e) {
  static const char* const moments[] = {"", " in-flight-end", " in-computer-tick", " in-box"};
  static const char* const types[] = {"KeyDown", "KeyUp", "MouseMove", "MouseDown", "MouseUp"};
  std::ostringstream s;
  s << "t=" << e.at << moments[int(e.moment)] << " " << types[int(e.ev.type)];
  if (e.ev.type == Event::Type::KeyDown || e.ev.type == Event::Type::KeyUp)
    s << " " << e.ev.key;
  else
    s << " " << e.ev.x << "," << e.ev.y;
  return s.str();
}

std::vector<StormEvent> MakeStorm(uint32_t seed, int count) {
  std::mt19937 rng(seed);
  auto pick = [&](int n) { return int(rng() % uint32_t(n)); };
  static const uint16_t keys[] = {VK_UP, VK_DOWN, VK_LEFT, VK_RIGHT, VK_SPACE, 65, VK_ESCAPE, VK_RETURN};
  std::vector<StormEvent> storm;
  uint64_t t = 1;
  int px = 10, py = 10;
  for (int i = 0; i < count; ++i) {
    const int gap = pick(4);  // often the same instant as the event before
    t += gap == 0 ? 0 : gap == 1 ? uint64_t(pick(40)) : uint64_t(pick(1500));
    StormEvent e;
    e.at = t;
    const int m = pick(10);
    e.moment = m < 7 ? Moment::kAt : Moment(m - 6);
    const int kind = pick(10);
    if (kind < 6) {
      e.ev = Event::Key(pick(2) ? Event::Type::KeyDown : Event::Type::KeyUp, keys[pick(8)]);
    } else if (kind < 8) {
      const int where = pick(9);  // a row, Exit less often, or anywhere
      if (where < 6) {
        px = kRowLeftX + pick(180);
        py = RowMiddleY(where % 3) + pick(20) - 10;
      } else if (where == 6) {
        px = kRowCaptionX;
        py = RowMiddleY(3);
      } else {
        px = pick(TForm1::kClientWidth);
        py = pick(TForm1::kClientHeight);
      }
      e.ev = Event::Mouse(Event::Type::MouseMove, px, py);
    } else {
      e.ev = Event::Mouse(kind == 8 ? Event::Type::MouseDown : Event::Type::MouseUp, px, py);
    }
    storm.push_back(e);
    // A start often comes with more input at the same instant.
    if (e.ev.type == Event::Type::KeyDown && e.ev.key == VK_RETURN && pick(2)) {
      std::vector<Event> with;
      switch (pick(4)) {
        case 0:
          with = {Event::Key(Event::Type::KeyDown, VK_SPACE), Event::Key(Event::Type::KeyUp, VK_SPACE)};
          break;
        case 1:
          with = {Event::Key(Event::Type::KeyDown, VK_ESCAPE)};
          break;
        case 2:
          with = {Event::Key(Event::Type::KeyDown, keys[pick(6)])};
          break;
        default:
          with = {Event::Mouse(Event::Type::MouseMove, kRowCaptionX, RowMiddleY(pick(4)))};
          break;
      }
      for (const Event& ev : with) storm.push_back({e.at, e.moment, ev});
    }
  }
  return storm;
}

// One storm on a fresh game; returns the first broken invariant, or "".
// With a `journal` path the storm runs as the program does, recorded by the
// program's own JournalRecorder, so `tarvolen --replay` plays it again.
class Storm {
 public:
  Storm(uint32_t seed, std::vector<StormEvent> events, const std::string& journal = "")
      : game_(TARVOLEN_DATA_DIR, journal), rng_(seed), events_(std::move(events)) {}

  std::string Run() {
    Hook();
    game_.Start();
    for (const StormEvent& e : events_) {
      if (e.moment == Moment::kAt) game_.backend.At(e.at, e.ev);
      else waiting_.push_back(e);
    }
    const uint64_t end = events_.empty() ? 0 : events_.back().at;
    if (game_.recorder) {
      // One loop until the window closes, as in the program: a failure closes
      // it, or the time the check below waits for a standing game runs out.
      Event quit;
      quit.type = Event::Type::Quit;
      game_.backend.At(end + 30000, quit);
      game_.app.Run();
      return failure_;
    }
    while (failure_.empty() && !game_.app.Terminated() && game_.Now() <= end) game_.Run(50);
    // With no more input the game must not stand still.
    bool moved = false;
    for (int i = 0; i < 300 && failure_.empty() && !game_.app.Terminated() && !moved; ++i) {
      game_.Run(100);
      moved = g_.Phase == kMenu || g_.Phase == kKullanici || f_.Timer1.Enabled();
    }
    if (failure_.empty() && !game_.app.Terminated() && !moved) failure_ = "stands still in " + g_.Phase;
    return failure_;
  }

 private:
  void Hook() {
    auto counted = [this](TTimer& t, int& depth) {
      auto tick = t.OnTimer;
      t.OnTimer = [tick, &depth] {
        ++depth;
        tick();
        --depth;
      };
    };
    counted(f_.Timer1, inFlightTick_);
    counted(f_.Timer3, inComputerTick_);
    // A tick that has switched its timer off is past its decision: it is ending
    // a flight or aiming, and its pump takes what arrives now.
    game_.backend.onPoll = [this] {
      if (inFlightTick_ && !f_.Timer1.Enabled()) Deliver(Moment::kFlightEnd);
      if (inComputerTick_ && !f_.Timer3.Enabled()) Deliver(Moment::kComputerTick);
    };
    game_.backend.dismissAfter = [this](const HeadlessBackend::MessageBoxRecord& box) -> int64_t {
      if (game_.backend.OpenBoxes() > 1) Fail("two message boxes open");
      if (box.stopIcon) Fail("error report: " + box.text);
      if (box.text.empty()) Fail("the probe box over an intact backdrop");
      Deliver(Moment::kBoxOpen);
      return int64_t(rng_() % 2500);
    };
    game_.app.AfterDispatch = [this] { Check(); };
  }

  void Deliver(Moment moment) {
    for (auto it = waiting_.begin(); it != waiting_.end();) {
      if (it->moment == moment && it->at <= game_.Now()) {
        game_.backend.PostEvent(it->ev);
        it = waiting_.erase(it);
      } else {
        ++it;
      }
    }
  }

  void Fail(const std::string& what) {
    if (failure_.empty()) failure_ = what + " (t=" + std::to_string(game_.Now()) + ")";
    if (game_.recorder) game_.app.Terminate();
  }

  static const char* LabelOf(const std::string& turn) {
    if (turn == kKullanici1) return "Player 1";
    if (turn == kKullanici2) return "Player 2";
    if (turn == kBilgisayar1) return "Computer 1";
    if (turn == kBilgisayar2) return "Computer 2";
    return "?";
  }

  void Check() {
    if (game_.app.Terminated() || !failure_.empty()) return;
    const bool rows = f_.Panel1.Visible() && f_.Panel2.Visible() && f_.Panel3.Visible() && f_.Panel4.Visible();
    bool field = true;
    for (const TControl* c : std::initializer_list<const TControl*>{&f_.Image1, &f_.Image2, &f_.Image3, &f_.Image4,
                                                                    &f_.Image5, &f_.Label1, &f_.Label2, &f_.Bevel1})
      field = field && c->Visible();
    const bool anyField = f_.Image1.Visible() || f_.Image3.Visible() || f_.Image4.Visible() || f_.Bevel1.Visible();
    if (g_.Phase == kMenu) {
      mode_ = -1;
      if (!rows || anyField) return Fail("the menu is not a whole menu");
      const uint16_t sounding = game_.media.Sounding();
      if (sounding && game_.media.devices[sounding].element != game_.form->DataFile("0.mid"))
        return Fail("the menu plays " + game_.media.devices[sounding].element);
      if (f_.Timer1.Enabled() || f_.Timer2.Enabled() || f_.Timer3.Enabled()) return Fail("a timer runs on the menu");
      return;
    }
    if (!field || f_.Panel1.Visible() || f_.Panel4.Visible()) return Fail("a match on a half-built playfield");
    if (mode_ < 0 || openings_ != f_.MenuOpenings()) {
      mode_ = g_.MenuIndex;
      openings_ = f_.MenuOpenings();
    }
    if (g_.MenuIndex != mode_) return Fail("the mode changed during a match");
    if (f_.Label2.Caption() != LabelOf(g_.Turn)) return Fail("Label2 says " + f_.Label2.Caption());
    const bool campaign = f_.Caption() == "Tarvolen - Level " + std::to_string(g_.Level);
    const std::string& turn = g_.Turn;
    const bool fits = mode_ == 0   ? campaign && (turn == kKullanici1 || turn == kBilgisayar2)
                      : mode_ == 1 ? f_.Caption() == "Tarvolen" && (turn == kKullanici1 || turn == kKullanici2)
                      : mode_ == 2 ? f_.Caption() == "Tarvolen" && (turn == kBilgisayar1 || turn == kBilgisayar2)
                                   : false;
    if (!fits) return Fail("mode " + std::to_string(mode_) + " with " + turn + " under " + f_.Caption());
    const bool live = g_.Phase == kKullanici || (g_.Phase == kHareket && f_.Timer1.Enabled()) ||
                      (g_.Phase == kBilgisayar && f_.Timer3.Enabled());
    if (!live) return Fail("nothing moves in " + g_.Phase);
    if (g_.Phase == kHareket) {
      // A shot leaves from its own launcher's ring, never from a ball left over from before.
      const bool left = turn == kKullanici1 || turn == kBilgisayar1;
      const TImage& launcher = left ? f_.Image1 : f_.Image4;
      const int reach = launcher.Width() / 2 + 5 + 12;
      const int cx = launcher.Left() + launcher.Width() / 2, cy = launcher.Top() + launcher.Height() / 2;
      if (std::abs(g_.LaunchLeft - cx) > reach || std::abs(g_.LaunchTop - cy) > reach)
        return Fail("a shot from away from its launcher");
    }
  }

  test::Game game_;
  TForm1& f_ = *game_.form;
  GameState& g_ = game_.state;
  std::mt19937 rng_;
  std::vector<StormEvent> events_;
  std::vector<StormEvent> waiting_;
  int inFlightTick_ = 0, inComputerTick_ = 0;
  int mode_ = -1;
  uint64_t openings_ = 0;
  std::string failure_;
};

uint32_t FromEnv(const char* name, uint32_t fallback) {
  const char* v = std::getenv(name);
  return v && *v ? uint32_t(std::strtoul(v, nullptr, 10)) : fallback;
}

// TARVOLEN_STORM_SEEDS, _EVENTS and _FIRST set a longer run by hand.
TEST(Storm, EveryEventAtEveryMomentLeavesAWholeMovingGame) {
  const uint32_t seeds = FromEnv("TARVOLEN_STORM_SEEDS", 3000);
  const int events = int(FromEnv("TARVOLEN_STORM_EVENTS", 60));
  const uint32_t first = FromEnv("TARVOLEN_STORM_FIRST", 1);
  uint64_t total = 0;
  for (uint32_t seed = first; seed < first + seeds; ++seed) {
    auto storm = MakeStorm(seed, events);
    total += storm.size();
    const std::string failure = Storm(seed, storm).Run();
    if (!failure.empty()) {
      std::ostringstream list;
      for (const StormEvent& e : storm) list << "  " << Describe(e) << "\n";
      // Recording every seed would cost; the failing one is run again, recorded.
      const std::string journal = ::testing::TempDir() + "tarvolen_storm_" + std::to_string(seed) + ".journal";
      const std::string again = Storm(seed, storm, journal).Run();
      FAIL() << "seed " << seed << ": " << failure << "\nagain alone: TARVOLEN_STORM_FIRST=" << seed
             << " TARVOLEN_STORM_SEEDS=1 TARVOLEN_STORM_EVENTS=" << events << "\nevents:\n" << list.str()
             << "the session: " << journal << " (recorded run: " << (again.empty() ? "no failure" : again)
             << ")\nreplay: " TARVOLEN_DATA_DIR "/tarvolen --replay " << journal << " --headless";
    }
  }
  RecordProperty("events", std::to_string(total));
}

}  // namespace
}  // namespace tv
