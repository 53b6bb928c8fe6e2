// The end of a flight: a hit decides the match, a miss hands the turn over.
#include "app/form1.h"
#include "game/levels.h"
#include "game/turns.h"

namespace tv {

namespace {

const char* const kCongratulation =
    "Congratulations!\r\rYou have completed all the levels of Tarvolen.\rThank you for playing...";

}  // namespace

void TForm1::HitOutcome() {
  Timer1.SetEnabled(false);
  // A missing effect must not cost the player a won match.
  PlayMusic("hit.wav");
  App().MessageBox(WinnerText(g.Turn));
  if (g.Turn == kKullanici1 && g.MenuIndex == 0) {
    g.Phase = kKullanici;
    g.Turn = kKullanici1;
    Label2.SetCaption("Player 1");
    g.Level = NextLevel(g.Level);
    if (CampaignGoesOn(g.Level)) {
      SetCaption(g.GameTitle + " - Level " + std::to_string(g.Level));
      OyunuAc();
    } else {
      App().MessageBox(kCongratulation);
      MenuyuAc();
    }
    return;
  }
  MenuyuAc();
}

void TForm1::MissOutcome() {
  Timer1.SetEnabled(false);
  const uint64_t openings = menuOpenings_;
  App().ProcessMessages();
  // An Escape in that pass has opened the menu, and perhaps a new match from
  // it: no turn of the old one resumes behind them.
  if (menuOpenings_ != openings) return;
  App().GetBackend().Beep();
  App().GetBackend().SleepMs(200);
  g.Power = 0;
  ProgressBar1.SetPosition(g.Power);

  if (const auto next = AfterMiss(g.Turn, g.MenuIndex)) {
    g.Phase = next->phase;
    g.Turn = next->turn;
    if (next->computer) ProgressBar1.Hide();
    Label2.SetCaption(next->label);
    if (next->computer) Timer3.SetEnabled(true);
  }
  ToplariDuzelt(1);
}

}  // namespace tv
