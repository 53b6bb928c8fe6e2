#pragma once
#include <cstdint>
#include <functional>
#include <string>

#include "platform/toolkit/application.h"
#include "platform/toolkit/compositor.h"
#include "platform/base/event.h"

namespace tv {

class TControl;

// The main window: a fixed client area, its widgets, its canvas, and the
// routing of key and mouse input to its handlers.
class TForm {
 public:
  TForm(TApplication& app, int clientWidth, int clientHeight);
  virtual ~TForm() = default;
  TForm(const TForm&) = delete;
  TForm& operator=(const TForm&) = delete;

  TApplication& App() { return app_; }
  int ClientWidth() const { return clientWidth_; }
  int ClientHeight() const { return clientHeight_; }
  // The outer width: the client area plus the frame the window system draws.
  int Width() { return clientWidth_ + app_.GetBackend().FrameWidth(); }
  const std::string& Caption() const { return caption_; }
  void SetCaption(const std::string& c);

  Compositor& Surface() { return surface_; }
  TCanvas& Canvas() { return canvas_; }
  void AddControl(TControl* c) { surface_.Add(c); }
  // Closing the window ends the program.
  void Close() { app_.Terminate(); }

  std::function<void(uint16_t)> OnKeyDown;
  std::function<void(uint16_t)> OnKeyUp;

  // Called by the application for key and mouse events of the window.
  void HandleInput(const Event& ev);

 private:
  void MouseDown(const Event& ev);
  void MouseUp(const Event& ev);
  void MouseMove(const Event& ev);

  TApplication& app_;
  int clientWidth_, clientHeight_;
  std::string caption_;
  Compositor surface_;
  TCanvas canvas_;
  TControl* capture_ = nullptr;  // holds the mouse while the left button is down
  TControl* clicked_ = nullptr;  // where the left button went down
};

}  // namespace tv
