#include "platform/win32/win32_window.h"

#include <algorithm>
#include <stdexcept>
#include <vector>

#include "platform/base/icon_size.h"
#include "platform/toolkit/codepage.h"

namespace tv {
namespace {

constexpr wchar_t kClassName[] = L"TarvolenWindow";

// Windows' own words for an error, in the player's language.
std::string SystemText(DWORD error) {
  wchar_t* text = nullptr;
  const DWORD n = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                     FORMAT_MESSAGE_IGNORE_INSERTS,
                                 nullptr, error, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  std::wstring words(text ? text : L"", n);
  if (text) LocalFree(text);
  while (!words.empty() && (words.back() == L'\n' || words.back() == L'\r' || words.back() == L'.'))
    words.pop_back();
  return words.empty() ? "error " + std::to_string(error) : Utf8(words);
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* handler = reinterpret_cast<WindowHandler*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (handler) return handler->Handle(window, message, wParam, lParam);
  return DefWindowProcW(window, message, wParam, lParam);
}

void RegisterOnce() {
  static const bool registered = [] {
    WNDCLASSEXW c{};
    c.cbSize = sizeof c;
    c.lpfnWndProc = WindowProc;
    c.lpszClassName = kClassName;
    c.hInstance = GetModuleHandleW(nullptr);
    c.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    // The program's own icon in the file, where the build put one; the main
    // window sets its own from the game's picture as it opens.
    c.hIcon = LoadIconW(c.hInstance, MAKEINTRESOURCEW(1));
    // No background brush: every pixel is painted from the picture or black.
    return RegisterClassExW(&c) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
  }();
  if (!registered)
    throw std::runtime_error("Windows refused the game's window class (" + SystemText(GetLastError()) + ")");
}

// Typing goes nowhere in this program: with an input method composing (a
// Japanese or Chinese keyboard), Space and the letters would arrive as its
// processing key, not as the game's keys. Looked up in the system's own
// imm32.dll (never one beside the program) rather than linked.
void WithoutInputMethod(HWND window) {
  static const auto associate = [] {
    using Associate = BOOL(WINAPI*)(HWND, void*, DWORD);
    HMODULE imm = LoadLibraryExW(L"imm32.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    FARPROC found = imm ? GetProcAddress(imm, "ImmAssociateContextEx") : nullptr;
    return reinterpret_cast<Associate>(reinterpret_cast<void*>(found));
  }();
  if (associate) associate(window, nullptr, 0);  // no input context: keys come as they are
}

}  // namespace

RECT WorkArea(HMONITOR monitor) {
  MONITORINFO info{};
  info.cbSize = sizeof info;
  if (monitor && GetMonitorInfoW(monitor, &info)) return info.rcWork;
  RECT r{0, 0, 1024, 768};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &r, 0);
  return r;
}

HMONITOR MonitorOf(HWND window) {
  return window ? MonitorFromWindow(window, MONITOR_DEFAULTTOPRIMARY)
                : MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY);
}

void PlaceCentred(HWND window, int clientW, int clientH, HMONITOR monitor) {
  // The frame as Windows draws it for this window, whatever the display's scaling.
  RECT outer, client;
  GetWindowRect(window, &outer);
  GetClientRect(window, &client);
  const int w = clientW + (outer.right - outer.left) - (client.right - client.left);
  const int h = clientH + (outer.bottom - outer.top) - (client.bottom - client.top);
  const RECT work = WorkArea(monitor);
  // A window larger than the work area keeps its title bar on the screen.
  const int x = work.left + std::max(0, int(work.right - work.left - w) / 2);
  const int y = work.top + std::max(0, int(work.bottom - work.top - h) / 2);
  SetWindowPos(window, nullptr, x, y, w, h, SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOOWNERZORDER);
}

HWND MakeWindow(const std::string& title, DWORD style, HWND owner, int clientW, int clientH, HMONITOR monitor,
                WindowHandler& handler) {
  RegisterOnce();
  RECT r{0, 0, clientW, clientH};
  AdjustWindowRectEx(&r, style, FALSE, 0);
  HWND window = CreateWindowExW(0, kClassName, Wide(Cp1252ToUtf8(title)).c_str(), style, CW_USEDEFAULT,
                                CW_USEDEFAULT, r.right - r.left, r.bottom - r.top, owner, nullptr,
                                GetModuleHandleW(nullptr), &handler);
  if (!window)
    throw std::runtime_error("Windows refused to open the window (" + SystemText(GetLastError()) + ")");
  PlaceCentred(window, clientW, clientH, monitor);
  WithoutInputMethod(window);
  return window;
}

void SetWindowTitle(HWND window, const std::string& title) {
  SetWindowTextW(window, Wide(Cp1252ToUtf8(title)).c_str());
}

HICON MakeIcon(const ArgbImage& icon, int size) {
  if (icon.width <= 0 || icon.height <= 0 || icon.pixels.size() < size_t(icon.width) * size_t(icon.height) ||
      size <= 0)
    return nullptr;
  const ArgbImage square = IconAt(icon, size);
  BITMAPV5HEADER h{};
  h.bV5Size = sizeof h;
  h.bV5Width = size;
  h.bV5Height = -size;  // top row first, as the picture is held
  h.bV5Planes = 1;
  h.bV5BitCount = 32;
  h.bV5Compression = BI_BITFIELDS;
  h.bV5RedMask = 0x00FF0000;
  h.bV5GreenMask = 0x0000FF00;
  h.bV5BlueMask = 0x000000FF;
  h.bV5AlphaMask = 0xFF000000;
  void* bits = nullptr;
  HDC screen = GetDC(nullptr);
  HBITMAP colour =
      CreateDIBSection(screen, reinterpret_cast<BITMAPINFO*>(&h), DIB_RGB_COLORS, &bits, nullptr, 0);
  ReleaseDC(nullptr, screen);
  if (!colour) return nullptr;
  std::copy(square.pixels.begin(), square.pixels.end(), static_cast<uint32_t*>(bits));
  // The mask is unused beside an alpha channel, but an icon must have one.
  const std::vector<uint8_t> zeros(size_t((size + 15) / 16 * 2) * size_t(size), 0);
  HBITMAP mask = CreateBitmap(size, size, 1, 1, zeros.data());
  ICONINFO info{TRUE, 0, 0, mask, colour};
  HICON made = mask ? CreateIconIndirect(&info) : nullptr;
  DeleteObject(colour);
  if (mask) DeleteObject(mask);
  return made;
}

void DrawPicture(HDC dc, const Bitmap& picture, const Rect& want, View view) {
  const Rect r = want.Intersect({0, 0, picture.width, picture.height});
  if (r.Empty() || view.scale < 1) return;
  // The rectangle's own rows as a picture of their own, read from row 0:
  // StretchDIBits counts a top-down picture's source rows in two ways
  // depending on the system, and not at all when the rows are the whole.
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = picture.width;
  info.bmiHeader.biHeight = -r.h;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;  // 0x00RRGGBB is BI_RGB's own order
  info.bmiHeader.biCompression = BI_RGB;
  // Whole blocks, no blending of neighbours.
  SetStretchBltMode(dc, COLORONCOLOR);
  const int s = view.scale;
  StretchDIBits(dc, view.x + r.x * s, view.y + r.y * s, r.w * s, r.h * s, r.x, 0, r.w, r.h,
                picture.pixels.data() + size_t(r.y) * size_t(picture.width), &info, DIB_RGB_COLORS, SRCCOPY);
}

void PaintPicture(HDC dc, const RECT& paint, const Bitmap& picture, View view) {
  const int s = std::max(view.scale, 1);
  const RECT shown{view.x, view.y, view.x + picture.width * s, view.y + picture.height * s};
  // Black around the picture: the four bands, each clipped by Windows to what needs painting.
  HBRUSH black = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
  const RECT bands[4] = {{paint.left, paint.top, paint.right, shown.top},
                         {paint.left, shown.bottom, paint.right, paint.bottom},
                         {paint.left, shown.top, shown.left, shown.bottom},
                         {shown.right, shown.top, paint.right, shown.bottom}};
  for (const RECT& b : bands)
    if (b.right > b.left && b.bottom > b.top) FillRect(dc, &b, black);
  // The picture's pixels under the region, whole.
  const int left = Unscaled(paint.left - view.x, s), top = Unscaled(paint.top - view.y, s);
  const int right = Unscaled(paint.right - view.x + s - 1, s);
  const int bottom = Unscaled(paint.bottom - view.y + s - 1, s);
  DrawPicture(dc, picture, Rect{left, top, right - left, bottom - top}, view);
}

}  // namespace tv
