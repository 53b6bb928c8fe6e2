#pragma once
#include <string>
#include <vector>

#include "platform/base/bitmap.h"
#include "platform/files/windows_api.h"
#include "platform/toolkit/view.h"
#include "platform/win32/win32_window.h"

namespace tv {

// The game's window on Windows: its picture at a whole scale, centred on black
// when fullscreen, kept so that Windows' requests to paint it again are
// answered without the game; and the way back from a window pixel to the
// picture's pixel it shows.
class Win32MainWindow {
 public:
  Win32MainWindow() = default;
  ~Win32MainWindow() { Destroy(); }
  Win32MainWindow(const Win32MainWindow&) = delete;
  Win32MainWindow& operator=(const Win32MainWindow&) = delete;

  // Opens it hidden, `scale` times the picture's size (0: the largest that
  // suits the primary display's work area, ScaleToFit), centred there, and
  // fullscreen when asked. Throws std::runtime_error when Windows refuses it.
  void Create(int pictureW, int pictureH, const std::string& title, const ArgbImage& icon, int scale,
              bool fullscreen, WindowHandler& handler);
  void Show();
  void Destroy();
  void SetTitle(const std::string& title);
  int FrameWidth() const;
  // Keeps `rects` of the picture and shows them.
  void Present(const Bitmap& picture, const std::vector<Rect>& rects);

  // Its messages: WM_PAINT, WM_SIZE.
  void Paint();
  void Resized();
  // Borderless over its whole display, or back to the window it was.
  void SwitchFullscreen();
  bool Fullscreen() const { return fullscreen_; }

  HWND Get() const { return window_; }
  int Scale() const { return view_.scale; }
  int PictureX(int x) const { return Unscaled(x - view_.x, view_.scale); }
  int PictureY(int y) const { return Unscaled(y - view_.y, view_.scale); }

 private:
  HWND window_ = nullptr;
  HICON bigIcon_ = nullptr, smallIcon_ = nullptr;
  Bitmap shown_;  // the picture as last presented
  View view_;
  bool fullscreen_ = false;
  DWORD windowedStyle_ = 0;
  RECT windowed_{};      // where the window was before fullscreen
  int windowScale_ = 1;  // its scale there
};

}  // namespace tv
