#pragma once
#include <string>

#include "platform/base/bitmap.h"
#include "platform/base/types.h"
#include "platform/files/windows_api.h"
#include "platform/toolkit/view.h"

namespace tv {

// Who hears a window's messages: the program's windows are all of one class,
// and each sends what it hears to the handler it was made with.
class WindowHandler {
 public:
  virtual LRESULT Handle(HWND window, UINT message, WPARAM wParam, LPARAM lParam) = 0;

 protected:
  ~WindowHandler() = default;
};

// A hidden window of the program's class (registered at the first), of that
// style and client size, centred on the work area of `monitor`; its title is
// the game's text (code page 1252). Throws std::runtime_error when Windows refuses it.
HWND MakeWindow(const std::string& title, DWORD style, HWND owner, int clientW, int clientH, HMONITOR monitor,
                WindowHandler& handler);
// Sets the title from the game's text (code page 1252).
void SetWindowTitle(HWND window, const std::string& title);
// Gives the window that client size, centred on the work area of `monitor`.
void PlaceCentred(HWND window, int clientW, int clientH, HMONITOR monitor);
RECT WorkArea(HMONITOR monitor);
// The display the window is mostly on (the primary one for none).
HMONITOR MonitorOf(HWND window);

// Where a mouse message says the pointer is, in client pixels; negative left
// of or above the window while it holds the pointer.
inline int PointerX(LPARAM lParam) { return int(short(LOWORD(lParam))); }
inline int PointerY(LPARAM lParam) { return int(short(HIWORD(lParam))); }

// The icon `size` pixels square; nullptr when Windows makes none.
HICON MakeIcon(const ArgbImage& icon, int size);

// Draws the rectangle `r` of the picture on the device context as `view`
// says, every pixel a whole block (no smoothing).
void DrawPicture(HDC dc, const Bitmap& picture, const Rect& r, View view);
// Paints the part of the window's update region `paint` that the picture at
// `view` covers from it, and black around it.
void PaintPicture(HDC dc, const RECT& paint, const Bitmap& picture, View view);

}  // namespace tv
