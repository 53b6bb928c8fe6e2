// The window's layout: every widget with its place, size, caption, font and
// colours, and the order in which the widgets are drawn.
#include "app/form1.h"
#include "app/form1_layout.h"
#include "app/form1_texts.h"
#include "assets/pictures.h"
#include "platform/files/system.h"

namespace tv {

TForm1::TForm1(TApplication& app, GameState& state, MediaControl& media, std::string dataDir)
    : TForm(app, kClientWidth, kClientHeight),
      Image1(Surface(), "Image1", {5, 380, 16, 16}, LeftLauncherPicture(), true),
      Timer1(app, "Timer1", 10),
      Image2(Surface(), "Image2", {28, 390, 7, 12}, BallPicture(), true),
      Timer2(app, "Timer2", 10),
      ProgressBar1(Surface(), "ProgressBar1", {8, 416, 185, 18}),
      Bevel1(Surface(), "Bevel1", {0, 408, 600, 0}),
      Panel1(Surface(), app.GetBackend().Text(), "Panel1", kRowBounds[0], kRowCaptions[0], kSans, clWhite,
             kRowHighlight),
      Panel2(Surface(), app.GetBackend().Text(), "Panel2", kRowBounds[1], kRowCaptions[1], kSans, clWhite,
             kRowColor),
      Panel3(Surface(), app.GetBackend().Text(), "Panel3", kRowBounds[2], kRowCaptions[2], kSans, clWhite,
             kRowColor),
      Panel4(Surface(), app.GetBackend().Text(), "Panel4", kRowBounds[3], kRowCaptions[3], kSans, clWhite,
             kRowColor),
      Image4(Surface(), "Image4", {450, 269, 128, 128}, RightLauncherPicture(), true),
      Image5(Surface(), "Image5", {437, 351, 7, 12}, BallPicture(), true),
      Timer3(app, "Timer3", 1000),
      Label1(Surface(), app.GetBackend().Text(), "Label1", {496, 416}, kTurnCaption, kSansBold, clWhite,
             clBlack),
      Label2(Surface(), app.GetBackend().Text(), "Label2", {528, 416}, kFirstTurnName, kSans, clWhite,
             clBlack),
      Bevel2(Surface(), "Bevel2", {0, 403, 600, 2}),
      Label7(Surface(), app.GetBackend().Text(), "Label7", {405, 136}, kWebCaption, kVerdana, clLime, clBlack),
      Label3(Surface(), app.GetBackend().Text(), "Label3", {256, 312}, kControlsCaption, kSansBold, clWhite,
             clBlack),
      Label4(Surface(), app.GetBackend().Text(), "Label4", {304, 331}, kDirectionKeys, kSans, clWhite,
             clBlack),
      Label5(Surface(), app.GetBackend().Text(), "Label5", {224, 331}, kDirectionCaption, kSansBold, clWhite,
             clBlack),
      Label6(Surface(), app.GetBackend().Text(), "Label6", {304, 350}, kShootKey, kSans, clWhite, clBlack),
      Label8(Surface(), app.GetBackend().Text(), "Label8", {224, 350}, kShootCaption, kSansBold, clWhite,
             clBlack),
      Label9(Surface(), app.GetBackend().Text(), "Label9", {304, 369}, kMenuKey, kSans, clWhite, clBlack),
      Label10(Surface(), app.GetBackend().Text(), "Label10", {224, 369}, kMenuCaption, kSansBold, clWhite,
              clBlack),
      // The backdrop is decoded when a match first shows it (OyunuAc), not
      // before the menu's first picture, which does not show it.
      Image3(Surface(), "Image3", {0, 0, 594, 402}, Bitmap(), false),
      M1(media),
      g(state),
      dataDir_(std::move(dataDir)) {
  for (TControl* c : std::initializer_list<TControl*>{
           &Image3, &Bevel1, &Image1, &Image2, &Image4, &Image5, &Label1, &Label2, &Bevel2, &Label7, &Label3,
           &Label4, &Label5, &Label6, &Label8, &Label9, &Label10, &Panel1, &Panel2, &Panel3, &Panel4,
           &ProgressBar1})
    AddControl(c);
  SetCaption(" ");
  BindEvents();
  app.OnMediaNotify = [this](const Event& ev) { M1.HandleNotify(ev); };
}

void TForm1::BindEvents() {
  OnKeyDown = [this](uint16_t key) { FormKeyDown(key); };
  OnKeyUp = [this](uint16_t key) { FormKeyUp(key); };
  Timer1.OnTimer = [this] { Timer1Timer(); };
  Timer2.OnTimer = [this] { Timer2Timer(); };
  Timer3.OnTimer = [this] { Timer3Timer(); };
  Label7.OnClick = [this] { Label7Click(); };
  Label7.OnMouseDown = [this](MouseButton b, int, int) { Label7MouseDown(b); };
  Label7.OnMouseUp = [this](MouseButton b, int, int) { Label7MouseUp(b); };
  Panel1.OnMouseMove = [this](int, int) { Panel1MouseMove(); };
  Panel2.OnMouseMove = [this](int, int) { Panel2MouseMove(); };
  Panel3.OnMouseMove = [this](int, int) { Panel3MouseMove(); };
  Panel4.OnMouseMove = [this](int, int) { Panel4MouseMove(); };
  Panel1.OnClick = [this] { Panel1Click(); };
  Panel2.OnClick = [this] { Panel2Click(); };
  Panel3.OnClick = [this] { Panel3Click(); };
  Panel4.OnClick = [this] { Panel4Click(); };
}

std::string TForm1::DataFile(const std::string& name) const { return JoinPath(dataDir_, name); }

}  // namespace tv
