#include "platform/win32/win32_main_window.h"

#include <algorithm>

namespace tv {
namespace {

// A fixed size: neither resized nor maximised, but minimised.
constexpr DWORD kWindowed = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;

}  // namespace

void Win32MainWindow::Create(int pictureW, int pictureH, const std::string& title, const ArgbImage& icon,
                             int scale, bool fullscreen, WindowHandler& handler) {
  shown_ = Bitmap(pictureW, pictureH);
  // The one display query of start-up: the window opens centred on the primary display.
  HMONITOR monitor = MonitorOf(nullptr);
  if (scale == 0) {
    const RECT work = WorkArea(monitor);
    scale = ScaleToFit(work.right - work.left, work.bottom - work.top, pictureW, pictureH, kMaxScale);
  }
  view_ = View{scale, 0, 0};
  window_ = MakeWindow(title, kWindowed, nullptr, pictureW * scale, pictureH * scale, monitor, handler);
  windowedStyle_ = kWindowed;
  bigIcon_ = MakeIcon(icon, GetSystemMetrics(SM_CXICON));
  smallIcon_ = MakeIcon(icon, GetSystemMetrics(SM_CXSMICON));
  if (bigIcon_) SendMessageW(window_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(bigIcon_));
  if (smallIcon_) SendMessageW(window_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon_));
  Resized();
  if (fullscreen) SwitchFullscreen();
}

void Win32MainWindow::Show() {
  if (!window_) return;
  ShowWindow(window_, SW_SHOW);
  SetForegroundWindow(window_);
  UpdateWindow(window_);
}

void Win32MainWindow::Destroy() {
  if (window_) DestroyWindow(window_);
  window_ = nullptr;
  // Only once no window shows them.
  if (bigIcon_) DestroyIcon(bigIcon_);
  if (smallIcon_) DestroyIcon(smallIcon_);
  bigIcon_ = smallIcon_ = nullptr;
}

void Win32MainWindow::SetTitle(const std::string& title) {
  if (window_) SetWindowTitle(window_, title);
}

int Win32MainWindow::FrameWidth() const {
  if (!window_) return 0;
  RECT outer, client;
  GetWindowRect(window_, &outer);
  GetClientRect(window_, &client);
  return (outer.right - outer.left) - (client.right - client.left);
}

void Win32MainWindow::Present(const Bitmap& picture, const std::vector<Rect>& rects) {
  if (picture.width != shown_.width || picture.height != shown_.height) {
    shown_ = picture;
    if (window_) InvalidateRect(window_, nullptr, FALSE);
    return;
  }
  for (const Rect& want : rects) {
    const Rect r = want.Intersect({0, 0, picture.width, picture.height});
    for (int y = r.y; y < r.Bottom(); ++y) {
      const auto row = picture.pixels.begin() + ptrdiff_t(y) * picture.width;
      std::copy(row + r.x, row + r.Right(), shown_.pixels.begin() + ptrdiff_t(y) * shown_.width + r.x);
    }
  }
  // A hidden window is painted whole when it is shown.
  if (!window_ || !IsWindowVisible(window_) || IsIconic(window_)) return;
  HDC dc = GetDC(window_);
  for (const Rect& r : rects) DrawPicture(dc, shown_, r, view_);
  ReleaseDC(window_, dc);
}

void Win32MainWindow::Paint() {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(window_, &ps);
  if (dc) PaintPicture(dc, ps.rcPaint, shown_, view_);
  EndPaint(window_, &ps);
}

void Win32MainWindow::Resized() {
  RECT client;
  if (!window_ || !GetClientRect(window_, &client) || client.right <= 0 || client.bottom <= 0) return;
  const View was = view_;
  // Windowed, the scale stays the one chosen even should Windows give the
  // client area another size; fullscreen, the largest that fits.
  view_ = fullscreen_ ? CentredView(client.right, client.bottom, shown_.width, shown_.height)
                      : View{view_.scale, 0, 0};
  if (view_.scale != was.scale || view_.x != was.x || view_.y != was.y)
    InvalidateRect(window_, nullptr, FALSE);
}

void Win32MainWindow::SwitchFullscreen() {
  if (!window_) return;
  const DWORD visible = DWORD(GetWindowLongPtrW(window_, GWL_STYLE)) & WS_VISIBLE;
  if (!fullscreen_) {
    GetWindowRect(window_, &windowed_);
    MONITORINFO info{};
    info.cbSize = sizeof info;
    GetMonitorInfoW(MonitorOf(window_), &info);
    const RECT& m = info.rcMonitor;
    fullscreen_ = true;
    windowScale_ = view_.scale;
    SetWindowLongPtrW(window_, GWL_STYLE, LONG_PTR(WS_POPUP | visible));
    SetWindowPos(window_, HWND_TOP, m.left, m.top, m.right - m.left, m.bottom - m.top,
                 SWP_FRAMECHANGED | SWP_NOOWNERZORDER);
  } else {
    fullscreen_ = false;
    view_ = View{windowScale_, 0, 0};
    SetWindowLongPtrW(window_, GWL_STYLE, LONG_PTR(windowedStyle_ | visible));
    SetWindowPos(window_, nullptr, windowed_.left, windowed_.top, windowed_.right - windowed_.left,
                 windowed_.bottom - windowed_.top, SWP_FRAMECHANGED | SWP_NOZORDER | SWP_NOOWNERZORDER);
  }
  Resized();
  InvalidateRect(window_, nullptr, FALSE);
}

}  // namespace tv
