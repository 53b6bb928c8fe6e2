#include "platform/win32/win32_message_box.h"

#include <algorithm>

namespace tv {
namespace {

// Wraps text at about five eighths of the display: an error report naming a
// long path stays a box of readable lines that fits the screen.
int MaxTextWidth(HWND owner) {
  const RECT work = WorkArea(MonitorOf(owner));
  return std::max(200, int(work.right - work.left) * 5 / 8);
}

}  // namespace

Win32MessageBox::Win32MessageBox(int id, const std::string& text, const std::string& caption, bool stopIcon,
                                 TextRenderer& renderer, HWND owner, int scale, WindowHandler& handler)
    : id_(id),
      scale_(std::max(scale, 1)),
      layout_(LayoutMessageBox(renderer, text, stopIcon, MaxTextWidth(owner) / scale_)),
      button_(layout_.ok) {
  window_ = MakeWindow(caption, WS_POPUP | WS_CAPTION | WS_SYSMENU, owner, layout_.width * scale_,
                       layout_.height * scale_, MonitorOf(owner), handler);
  // Shown active: Enter, Space and Escape reach it at once.
  ShowWindow(window_, SW_SHOW);
  SetForegroundWindow(window_);
  SetFocus(window_);
}

Win32MessageBox::~Win32MessageBox() { DestroyWindow(window_); }

void Win32MessageBox::Draw(HDC dc) {
  drawnPressed_ = button_.Pressed();
  const Bitmap picture = PaintMessageBox(layout_, drawnPressed_);
  DrawPicture(dc, picture, Rect{0, 0, picture.width, picture.height}, View{scale_, 0, 0});
}

// Draws the button again when the input changed its look.
bool Win32MessageBox::Redrawn(bool dismissed) {
  if (button_.Pressed() != drawnPressed_) {
    HDC dc = GetDC(window_);
    Draw(dc);
    ReleaseDC(window_, dc);
  }
  return dismissed;
}

bool Win32MessageBox::Key(uint16_t key, bool down, bool repeat) {
  using From = MessageBoxButton::From;
  return Redrawn(down ? button_.KeyDown(key, repeat, From::Keyboard)
                      : button_.KeyUp(key, From::Keyboard, HasKeyboard()));
}

bool Win32MessageBox::PadKey(const Event& key) {
  using From = MessageBoxButton::From;
  return Redrawn(key.type == Event::Type::KeyDown ? button_.KeyDown(key.key, false, From::Pad)
                                                : button_.KeyUp(key.key, From::Pad, false));
}

bool Win32MessageBox::Message(UINT message, LPARAM lParam, bool& handled) {
  handled = true;
  const int x = Unscaled(PointerX(lParam), scale_), y = Unscaled(PointerY(lParam), scale_);
  switch (message) {
    case WM_CLOSE:
      return button_.Close();
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(window_, &ps);
      if (dc) Draw(dc);
      EndPaint(window_, &ps);
      return false;
    }
    case WM_LBUTTONDOWN:
      // Its release comes here wherever the pointer is by then.
      SetCapture(window_);
      button_.MouseDown(MouseButton::Left, x, y);
      return Redrawn(false);
    case WM_MOUSEMOVE:
      button_.MouseMove(x, y);
      return Redrawn(false);
    case WM_LBUTTONUP:
      ReleaseCapture();
      return Redrawn(button_.MouseUp(MouseButton::Left, x, y));
    default:
      handled = false;
      return false;
  }
}

}  // namespace tv
