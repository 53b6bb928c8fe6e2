// The end of a flight: a hit decides the match, a miss hands the turn over.
#include "app/form1.h"

namespace tv {

namespace {

const char* WinnerText(const std::string& turn) {
  if (turn == kKullanici1) return "Player 1 Won!";
  if (turn == kKullanici2) return "Player 2 Won!";
  if (turn == kBilgisayar1) return "Computer 1 Won!";
  if (turn == kBilgisayar2) return "Computer 2 Won!";
  return "";
}

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
    g.Level = int64_t(uint64_t(g.Level) + 1u);
    if (g.Level <= 8) {
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

  const std::string missed = g.Turn;
  const int16_t mode = g.MenuIndex;
  auto handOver = [&](const std::string& phase, const std::string& turn, const char* label, bool computer) {
    g.Phase = phase;
    g.Turn = turn;
    if (computer) ProgressBar1.Hide();
    Label2.SetCaption(label);
    if (computer) Timer3.SetEnabled(true);
  };
  if (missed == kKullanici1 && mode == 0)
    handOver(kBilgisayar, kBilgisayar2, "Computer 2", true);
  else if (missed == kKullanici1 && mode == 1)
    handOver(kKullanici, kKullanici2, "Player 2", false);
  else if (missed == kKullanici2)
    handOver(kKullanici, kKullanici1, "Player 1", false);
  else if (missed == kBilgisayar2 && mode == 0)
    handOver(kKullanici, kKullanici1, "Player 1", false);
  else if (missed == kBilgisayar2 && mode == 2)
    handOver(kBilgisayar, kBilgisayar1, "Computer 1", true);
  else if (missed == kBilgisayar1)
    handOver(kBilgisayar, kBilgisayar2, "Computer 2", true);
  ToplariDuzelt(1);
}

}  // namespace tv
