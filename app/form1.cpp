// Start-up, the window's creation and show handlers, and the link label.
#include "app/form1.h"

#include "assets/pictures.h"
#include "platform/files/system.h"

namespace tv {

void StartUp(TApplication& app, TForm1& form) {
  app.SetTitle("Tarvolen");
  app.SetMainForm(&form);
  form.FormCreate();
  app.GetBackend().ShowMainWindow();
  // A window shows nothing of what was drawn before it was mapped: the whole
  // picture now, without waiting for the window system to ask for it. The
  // menu is on the screen before its music starts: opening the audio
  // device and rendering the first block need not hold up the first picture.
  form.Surface().MarkDrawn({0, 0, form.ClientWidth(), form.ClientHeight()});
  app.Present();
  form.FormShow();
}

void TForm1::FormCreate() {
  Label7.SetTop(0);
  Label7.SetLeft(ClientWidth() - Label7.Width());
  g.GameTitle = "Tarvolen";
  g.Phase = kMenu;
  SetCaption(g.GameTitle);
  App().SetTitle(Caption());
  MenuyuAc();
}

void TForm1::FormShow() { PlayMusic("0.mid"); }

void TForm1::Label7MouseDown(MouseButton) { Label7.SetFontColor(clYellow); }

void TForm1::Label7MouseUp(MouseButton) { Label7.SetFontColor(clLime); }

void TForm1::Label7Click() {
  try {
    ShellOpen(kWebAddress);
  } catch (const std::exception&) {
    // A refused request is not the game's concern.
  }
}

void TForm1::PlayMusic(const std::string& name) {
  try {
    PlayFile(M1, DataFile(name));
  } catch (const std::exception&) {
    // Music is dropped without a box (the media layer names the file on
    // stderr, once); the game goes on.
  }
}

}  // namespace tv
