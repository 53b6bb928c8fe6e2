// The keyboard: Escape everywhere, the menu's keys, and a human's aiming and charging.
#include "app/form1.h"
#include "game/menu_rows.h"

namespace tv {

namespace {
constexpr uint16_t kKeyA = 65;
}

void TForm1::FormKeyDown(uint16_t key) {
  if (key == VK_ESCAPE) {
    Timer1.SetEnabled(false);
    Timer2.SetEnabled(false);
    Timer3.SetEnabled(false);
    MenuyuAc();
    return;
  }
  // A half-built playfield takes no game keys: its balls and launchers are not placed yet.
  if (SettingUp()) {
    if (key == VK_SPACE) spaceDropped_ = true;
    return;
  }
  if (key == VK_SPACE) spaceDropped_ = false;
  if (g.Phase == kKullanici) {
    if (g.Turn == kKullanici1) {
      if (key == VK_UP) g.Angle += 5;
      if (key == VK_DOWN) g.Angle -= 5;
    } else if (g.Turn == kKullanici2) {
      if (key == VK_DOWN) g.Angle += 5;
      if (key == VK_UP) g.Angle -= 5;
    }
    TImage* launcher = g.Turn == kKullanici1 ? &Image1 : (g.Turn == kKullanici2 ? &Image4 : nullptr);
    switch (key) {
      case VK_UP:
      case VK_DOWN:
        ToplariDuzelt(0);
        break;
      case VK_SPACE:
        Timer2.SetEnabled(true);
        ProgressBar1.Show();
        break;
      case kKeyA:
        g.FreeMove = 1;
        App().GetBackend().Beep();
        break;
      case VK_LEFT:
      case VK_RIGHT:
        if (g.FreeMove == 1 && launcher) launcher->SetLeft(launcher->Left() + (key == VK_LEFT ? -5 : 5));
        ToplariDuzelt(0);
        break;
      default:
        break;
    }
  } else if (g.Phase == kMenu) {
    switch (key) {
      case VK_UP:
        g.MenuIndex = RowAbove(g.MenuIndex);
        MenuDegistir();
        break;
      case VK_DOWN:
        g.MenuIndex = RowBelow(g.MenuIndex);
        MenuDegistir();
        break;
      case VK_RETURN:
        StartRow(g.MenuIndex);
        break;
      default:
        break;
    }
  }
}

void TForm1::Timer2Timer() {
  g.Power = int32_t(uint32_t(g.Power) + 1u);
  ProgressBar1.SetPosition(g.Power);
}

void TForm1::FormKeyUp(uint16_t key) {
  if (key == VK_SPACE && (SettingUp() || spaceDropped_)) {
    // The release of a press that the set-up dropped fires nothing either.
    spaceDropped_ = false;
    return;
  }
  if (g.Phase != kKullanici || key != VK_SPACE) return;
  Timer2.SetEnabled(false);
  if (g.Power > 100) g.Power = 100;
  g.FlightTime = 0.0;
  if (g.Turn == kKullanici1) {
    g.LaunchLeft = Image2.Left();
    g.LaunchTop = Image2.Top();
  } else if (g.Turn == kKullanici2) {
    g.LaunchLeft = Image5.Left();
    g.LaunchTop = Image5.Top();
  }
  g.Phase = kHareket;
  ProgressBar1.Hide();
  Timer1.SetEnabled(true);
}

}  // namespace tv
