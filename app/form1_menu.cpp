// The menu: opening it, its highlight, its rows and its keys.
#include "app/form1.h"
#include "app/form1_layout.h"
#include "assets/backdrop.h"
#include "game/menu_rows.h"

namespace tv {

void TForm1::MenuyuAc() {
  ++menuOpenings_;
  for (TLabel* l : {&Label3, &Label4, &Label5, &Label6, &Label8, &Label9, &Label10}) l->Show();
  g.FreeMove = 0;
  g.Level = 1;
  SetCaption(g.GameTitle);
  g.Phase = kMenu;
  Timer1.SetEnabled(false);
  Timer2.SetEnabled(false);
  Timer3.SetEnabled(false);
  for (TControl* c : std::initializer_list<TControl*>{&Label1, &Label2, &Image1, &Image2, &Image3, &Image4, &Image5,
                                                      &ProgressBar1, &Bevel1})
    c->Hide();
  for (TPanel* p : {&Panel1, &Panel2, &Panel3, &Panel4}) p->Show();
  g.MenuIndex = 0;
  Panel1.SetColor(kRowHighlight);
  Panel2.SetColor(kRowColor);
  Panel3.SetColor(kRowColor);
  Panel4.SetColor(kRowColor);
  App().ProcessMessages();
  // A row started from the pump above has its own music already.
  if (g.Phase == kMenu) PlayMusic("0.mid");
  App().ProcessMessages();
}

void TForm1::MenuDegistir() {
  const int lit = LitRow(g.MenuIndex);
  Panel1.SetColor(lit == 0 ? kRowHighlight : kRowColor);
  Panel2.SetColor(lit == 1 ? kRowHighlight : kRowColor);
  Panel3.SetColor(lit == 2 ? kRowHighlight : kRowColor);
  Panel4.SetColor(lit == 3 ? kRowHighlight : kRowColor);
}

void TForm1::Panel1MouseMove() {
  if (g.Phase != kMenu) return;
  g.MenuIndex = 0;
  MenuDegistir();
}
void TForm1::Panel2MouseMove() {
  if (g.Phase != kMenu) return;
  g.MenuIndex = 1;
  MenuDegistir();
}
void TForm1::Panel3MouseMove() {
  if (g.Phase != kMenu) return;
  g.MenuIndex = 2;
  MenuDegistir();
}
void TForm1::Panel4MouseMove() {
  if (g.Phase != kMenu) return;
  g.MenuIndex = 3;
  MenuDegistir();
}

// A click also makes its row the highlighted one, so MenuIndex always names
// the mode that runs. The rows act only on the menu: a click or a move that
// reaches them once a match has begun must not rewrite its mode.
void TForm1::Panel1Click() {
  if (g.Phase != kMenu) return;
  Panel1MouseMove();
  StartRow(0);
}
void TForm1::Panel2Click() {
  if (g.Phase != kMenu) return;
  Panel2MouseMove();
  StartRow(1);
}
void TForm1::Panel3Click() {
  if (g.Phase != kMenu) return;
  Panel3MouseMove();
  StartRow(2);
}
void TForm1::Panel4Click() {
  if (g.Phase == kMenu) Close();
}

void TForm1::StartRow(int row) {
  // A match shows the backdrop: decoded before the menu is left, so that a
  // machine without libjpeg gets the error box over a whole menu, which still
  // answers and exits (MenuOnX.EnterOnExitEndsTheProgram).
  if (row >= 0 && row <= 2 && Image3.Picture().pixels.empty()) Image3.SetPicture(BackdropPicture());
  switch (row) {
    case 0:
      g.Level = 1;
      g.Phase = kKullanici;
      g.Turn = kKullanici1;
      Label2.SetCaption("Player 1");
      SetCaption(g.GameTitle + " - Level " + std::to_string(g.Level));
      OyunuAc();
      break;
    case 1:
      g.Phase = kKullanici;
      g.Turn = kKullanici1;
      Label2.SetCaption("Player 1");
      g.Level = 6;
      OyunuAc();
      break;
    case 2:
      g.Phase = kBilgisayar;
      g.Turn = kBilgisayar1;
      ProgressBar1.Hide();
      Label2.SetCaption("Computer 1");
      g.Level = 6;
      Timer3.SetEnabled(true);
      OyunuAc();
      break;
    default:
      App().Terminate();
      break;
  }
}

}  // namespace tv
