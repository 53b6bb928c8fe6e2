#pragma once
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "app/form1_texts.h"
#include "game/state.h"
#include "platform/sound/media_player.h"
#include "platform/toolkit/form.h"
#include "platform/toolkit/timer.h"
#include "platform/toolkit/widgets.h"

namespace tv {

class MediaControl;

// The main window: every widget of the layout, reached by its name, and the
// handlers bound to their events. The game state lives beside it.
class TForm1 : public TForm {
 public:
  static constexpr int kClientWidth = 586;
  static constexpr int kClientHeight = 440;
  static inline const std::string kWebCaption = kLinkCaption;
  static inline const std::string kWebAddress = "https://tarvolen.example/";

  // `dataDir` is the directory that holds the files beside the program.
  TForm1(TApplication& app, GameState& state, MediaControl& media, std::string dataDir);

  // The widgets, in the layout's order (places and captions in form1_layout.cpp):
  //   Image1        the left launcher (after A, Left and Right slide it)
  //   Timer1        10 ms: flies the ball
  //   Image2        the left side's ball, on its ring round Image1
  //   Timer2        10 ms: charges a human's shot while Space is held
  //   ProgressBar1  the power being charged (shown only then)
  //   Bevel1        the ground line: 0 pixels high, only shown and hidden
  //   Panel1        menu row "Player vs. Computer" (the campaign)
  //   Panel2        menu row "Player 1 vs. Player 2"
  //   Panel3        menu row "Computer 1 vs. Computer 2"
  //   Panel4        menu row "Exit"
  //   Image4        the right launcher, Player 1's target: picture and size per level
  //   Image5        the right side's ball, on its ring round Image4
  //   Timer3        1 s, one tick per use: the computer's pause before it fires
  //   Label1        "Turn:" under the playfield
  //   Label2        whose turn it is, beside Label1
  //   Bevel2        the line under the playfield, on both screens
  //   Label7        the maker's web address, a link, top right on both screens
  //   Label3        "CONTROLS:", heading of the controls summary under the menu
  //   Label4        "Up/Down", beside Label5
  //   Label5        "Direction:"
  //   Label6        "Space", beside Label8
  //   Label8        "Shoot:"
  //   Label9        "ESC", beside Label10
  //   Label10       "Exit to Menu:"
  //   Image3        the backdrop, the Earth from orbit: the playfield
  //   M1            the hidden media player: the menu's and levels' music, the hit effect
  TImage Image1;
  TTimer Timer1;
  TImage Image2;
  TTimer Timer2;
  TProgressBar ProgressBar1;
  TBevel Bevel1;
  TPanel Panel1;
  TPanel Panel2;
  TPanel Panel3;
  TPanel Panel4;
  TImage Image4;
  TImage Image5;
  TTimer Timer3;
  TLabel Label1;
  TLabel Label2;
  TBevel Bevel2;
  TLabel Label7;
  TLabel Label3;
  TLabel Label4;
  TLabel Label5;
  TLabel Label6;
  TLabel Label8;
  TLabel Label9;
  TLabel Label10;
  TImage Image3;
  TMediaPlayer M1;

  void Timer1Timer();
  void FormKeyDown(uint16_t key);
  void FormCreate();
  void Timer2Timer();
  void FormKeyUp(uint16_t key);
  void ToplariDuzelt(uint8_t reset);
  void MenuDegistir();
  void MenuyuAc();
  void OyunuAc();
  void Timer3Timer();
  void Label7Click();
  void Label7MouseDown(MouseButton button);
  void Label7MouseUp(MouseButton button);
  void Panel4MouseMove();
  void Panel1MouseMove();
  void Panel2MouseMove();
  void Panel3MouseMove();
  void Panel1Click();
  void Panel2Click();
  void Panel3Click();
  void Panel4Click();
  void FormShow();

  GameState& State() { return g; }
  // How often the menu has opened: a new count means a new match may follow.
  uint64_t MenuOpenings() const { return menuOpenings_; }
  const std::string& DataDir() const { return dataDir_; }
  // A file beside the program.
  std::string DataFile(const std::string& name) const;

 private:
  void BindEvents();
  void StartRow(int row);
  void PlayMusic(const std::string& name);
  void HitOutcome();
  void MissOutcome();
  void PlaceBall(TImage& ball, const TImage& launcher, int32_t angle);
  // Counts the menu's openings, so a handler can tell that its pump opened it.
  uint64_t menuOpenings_ = 0;
  // The menu opening from which the running OyunuAc started; while no other
  // opening has followed, the playfield is half built and game keys are dropped.
  std::optional<uint64_t> setUpFrom_;
  bool SettingUp() const { return setUpFrom_ == menuOpenings_; }
  // A Space pressed during a set-up: its release is dropped too.
  bool spaceDropped_ = false;

  GameState& g;
  std::string dataDir_;
};

// Start-up: the application title, FormCreate, FormShow and the window shown.
void StartUp(TApplication& app, TForm1& form);

}  // namespace tv
