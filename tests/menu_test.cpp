// The menu and start-up: rows, highlight, keys, pointer, and what every opening resets.
#include <gtest/gtest.h>

#include "app/form1_layout.h"
#include "tests/support/game_harness.h"

namespace tv {
namespace {

constexpr TColor kRed = kRowHighlight;
constexpr TColor kRow = kRowColor;

struct Menu : ::testing::Test {
  test::Game game;
  TForm1& f = *game.form;
  GameState& g = game.state;
  void SetUp() override { game.Start(); }

  std::vector<TColor> Colours() {
    return {f.Panel1.Color(), f.Panel2.Color(), f.Panel3.Color(), f.Panel4.Color()};
  }
  void Mouse(Event::Type t, int x, int y) {
    game.backend.At(game.Now(), Event::Mouse(t, x, y));
    game.Run(1);
  }
  std::vector<std::string> Opened() {
    std::vector<std::string> names;
    for (const auto& c : game.media.Of(0x0803)) names.push_back(c.elementName.substr(c.elementName.rfind('/') + 1));
    return names;
  }
};

TEST_F(Menu, StartUpShowsTheMenuTitledAndPlaysItsMusicTwice) {
  EXPECT_EQ(g.Phase, kMenu);
  EXPECT_EQ(g.GameTitle, "Tarvolen");
  EXPECT_EQ(f.Caption(), "Tarvolen");
  EXPECT_EQ(game.app.Title(), "Tarvolen");
  EXPECT_EQ(game.backend.WindowTitle(), "Tarvolen");
  EXPECT_TRUE(game.backend.WindowShown());
  EXPECT_EQ(Opened(), (std::vector<std::string>{"0.mid", "0.mid"}));
  EXPECT_NE(game.media.Sounding(), 0);
  EXPECT_EQ(Colours(), (std::vector<TColor>{kRed, kRow, kRow, kRow}));
  for (TControl* c : std::initializer_list<TControl*>{&f.Label3, &f.Label4, &f.Label5, &f.Label6, &f.Label8, &f.Label9,
                                                      &f.Label10, &f.Panel1, &f.Panel4, &f.Label7, &f.Bevel2})
    EXPECT_TRUE(c->Visible()) << c->Name();
  for (TControl* c : std::initializer_list<TControl*>{&f.Label1, &f.Label2, &f.Image1, &f.Image2, &f.Image3, &f.Image4,
                                                      &f.Image5, &f.ProgressBar1, &f.Bevel1})
    EXPECT_FALSE(c->Visible()) << c->Name();
}

TEST_F(Menu, TheLinkLabelTouchesTheTopRightCornerWhateverItsCaption) {
  for (const std::string caption : {"tarvolen.example", "x", "a much longer web address than before.example"}) {
    f.Label7.SetCaption(caption);
    f.FormCreate();
    EXPECT_EQ(f.Label7.Top(), 0);
    EXPECT_EQ(f.Label7.Left() + f.Label7.Width(), TForm1::kClientWidth) << caption;
  }
  const int x = f.Label7.Left(), w = f.Label7.Width();
  bool lime = false;
  for (int y = 0; y < f.Label7.Height(); ++y)
    for (int px = x; px < x + w; ++px) lime = lime || game.PixelAt(px, y) == 0x00FF00u;
  EXPECT_TRUE(lime);
}

TEST_F(Menu, TheLinkLabelIsYellowWhilePressed) {
  const int x = f.Label7.Left() + 2, y = 3;
  Mouse(Event::Type::MouseDown, x, y);
  EXPECT_EQ(f.Label7.FontColor(), clYellow);
  Mouse(Event::Type::MouseUp, 10, 300);  // released away from it: lime, nothing opened
  EXPECT_EQ(f.Label7.FontColor(), clLime);
  game.backend.At(game.Now(), Event::Mouse(Event::Type::MouseDown, x, y, MouseButton::Right));
  game.backend.At(game.Now(), Event::Mouse(Event::Type::MouseUp, 10, 300, MouseButton::Right));
  game.Run(1);
  EXPECT_EQ(f.Label7.FontColor(), clYellow);  // a right release away is not the label's
  game.backend.At(game.Now(), Event::Mouse(Event::Type::MouseUp, x, y, MouseButton::Right));
  game.Run(1);
  EXPECT_EQ(f.Label7.FontColor(), clLime);
}

TEST_F(Menu, UpAndDownWrapAroundAndEveryOtherKeyDoesNothing) {
  game.Key(VK_UP);
  game.Run(1);
  EXPECT_EQ(g.MenuIndex, 3);
  EXPECT_EQ(Colours(), (std::vector<TColor>{kRow, kRow, kRow, kRed}));
  game.Key(VK_DOWN);
  game.Run(1);
  EXPECT_EQ(g.MenuIndex, 0);
  for (uint16_t k : {uint16_t(VK_SPACE), uint16_t(65), uint16_t(VK_LEFT), uint16_t(VK_RIGHT), uint16_t('Q')})
    game.Key(k);
  game.Run(1);
  EXPECT_EQ(g.MenuIndex, 0);
  EXPECT_EQ(g.Phase, kMenu);
  EXPECT_EQ(g.FreeMove, 0);
  EXPECT_EQ(game.backend.Beeps(), 0);
}

TEST_F(Menu, ThePointerHighlightsTheRowUnderItAndLeavingKeepsIt) {
  Mouse(Event::Type::MouseMove, 200, 205);
  EXPECT_EQ(g.MenuIndex, 2);
  EXPECT_EQ(Colours(), (std::vector<TColor>{kRow, kRow, kRed, kRow}));
  Mouse(Event::Type::MouseMove, 200, 196);  // between rows
  EXPECT_EQ(g.MenuIndex, 2);
  Mouse(Event::Type::MouseMove, 384, 256);
  EXPECT_EQ(g.MenuIndex, 3);
}

TEST_F(Menu, AClickAndEnterStartTheSameMatch) {
  test::Game other;
  other.Start();
  other.StartMode(0);
  Mouse(Event::Type::MouseMove, 250, 140);
  Mouse(Event::Type::MouseDown, 250, 140);
  Mouse(Event::Type::MouseUp, 250, 140);
  for (const GameState* s : {&g, &other.state}) {
    EXPECT_EQ(s->Phase, kKullanici);
    EXPECT_EQ(s->Turn, kKullanici1);
    EXPECT_EQ(s->Level, 1);
    EXPECT_EQ(s->MenuIndex, 0);
  }
  EXPECT_EQ(f.Caption(), "Tarvolen - Level 1");
  EXPECT_EQ(other.form->Caption(), "Tarvolen - Level 1");
  EXPECT_EQ(f.Label2.Caption(), "Player 1");
  EXPECT_EQ(Opened().back(), "1.mid");
}

TEST_F(Menu, AClickStartsTheClickedRowEvenWhenTheKeysMovedTheHighlight) {
  Mouse(Event::Type::MouseMove, 250, 205);  // onto row 2
  game.Key(VK_DOWN);                        // highlight row 3 while the pointer rests on row 2
  game.Run(1);
  Mouse(Event::Type::MouseDown, 250, 205);
  Mouse(Event::Type::MouseUp, 250, 205);
  EXPECT_EQ(g.MenuIndex, 2);
  EXPECT_EQ(g.Phase, kBilgisayar);
  EXPECT_EQ(g.Turn, kBilgisayar1);
}

TEST_F(Menu, TheTwoOtherModesRunAtLevelSixWithThePlainCaption) {
  game.StartMode(1);
  EXPECT_EQ(g.Level, 6);
  EXPECT_EQ(f.Image4.Width(), 16);
  EXPECT_EQ(f.Image4.Left(), 565);
  EXPECT_EQ(f.Caption(), "Tarvolen");
  EXPECT_EQ(Opened().back(), "6.mid");
  EXPECT_FALSE(f.Timer3.Enabled());
  game.StartMode(2);
  EXPECT_EQ(g.Level, 6);
  EXPECT_EQ(g.Phase, kBilgisayar);
  EXPECT_EQ(f.Label2.Caption(), "Computer 1");
  EXPECT_TRUE(f.Timer3.Enabled());
  EXPECT_FALSE(f.ProgressBar1.Visible());
}

TEST_F(Menu, EveryOpeningResetsLevelFreeMoveHighlightAndCaptionButKeepsTurn) {
  game.StartMode(0);
  game.Key('A');
  game.Run(1);
  EXPECT_EQ(g.FreeMove, 1);
  g.Level = 5;
  g.Turn = kBilgisayar2;
  game.Key(VK_ESCAPE);
  game.Run(1);
  EXPECT_EQ(g.Phase, kMenu);
  EXPECT_EQ(g.Level, 1);
  EXPECT_EQ(g.FreeMove, 0);
  EXPECT_EQ(g.MenuIndex, 0);
  EXPECT_EQ(f.Caption(), "Tarvolen");
  EXPECT_EQ(g.Turn, kBilgisayar2);
  EXPECT_EQ(Opened().back(), "0.mid");
  // Escape on the menu opens it again from scratch.
  game.Key(VK_DOWN);
  game.Key(VK_ESCAPE);
  game.Run(1);
  EXPECT_EQ(g.MenuIndex, 0);
}

TEST_F(Menu, ExitByClickOrEnterEndsTheProgramWithoutAMatch) {
  game.Key(VK_UP);
  game.Key(VK_RETURN);
  game.Run(5);
  EXPECT_TRUE(game.app.Terminated());
  EXPECT_FALSE(f.Image3.Visible());

  test::Game other;
  other.Start();
  other.backend.At(1, Event::Mouse(Event::Type::MouseMove, 200, 240));
  other.backend.At(1, Event::Mouse(Event::Type::MouseDown, 200, 240));
  other.backend.At(1, Event::Mouse(Event::Type::MouseUp, 200, 240));
  other.Run(5);
  EXPECT_TRUE(other.app.Terminated());
  EXPECT_EQ(other.state.Phase, kMenu);
}

TEST_F(Menu, ARowStartedInsideTheMenusOwnPumpKeepsItsLevelMusic) {
  game.StartMode(1);
  // Escape and Enter arrive together: Enter runs inside the opening's pump.
  game.Key(VK_ESCAPE);
  game.Key(VK_RETURN);
  game.Run(1);
  EXPECT_EQ(g.Phase, kKullanici);
  EXPECT_EQ(Opened().back(), "1.mid");
}

}  // namespace
}  // namespace tv
