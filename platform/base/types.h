#pragma once
#include <algorithm>
#include <cstdint>

namespace tv {

// Colours as the game writes them: 0x00BBGGRR.
using TColor = uint32_t;
// Framebuffer pixels: 0x00RRGGBB, the layout SDL's ARGB8888 surfaces use.
using Pixel = uint32_t;

constexpr Pixel ToPixel(TColor c) {
  return ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF);
}
constexpr TColor ToTColor(Pixel p) { return ToPixel(p); }  // the swap is its own inverse

constexpr TColor clBlack = 0x000000;
constexpr TColor clWhite = 0xFFFFFF;
constexpr TColor clLime = 0x00FF00;
constexpr TColor clYellow = 0x00FFFF;
constexpr TColor clRed = 0x0000FF;
// The frames' colours: grey shadow and white highlight (the menu rows' raised
// frames, the lowered line under the playfield), light grey face (the message
// box, the power bar's empty part) and dark blue (the power bar's fill).
constexpr TColor clBtnShadow = 0x808080;
constexpr TColor clBtnHighlight = 0xFFFFFF;
constexpr TColor clBtnFace = 0xC0C0C0;
constexpr TColor clHighlight = 0x6A240A;

struct Rect {
  int x = 0, y = 0, w = 0, h = 0;
  bool Empty() const { return w <= 0 || h <= 0; }
  int Right() const { return x + w; }
  int Bottom() const { return y + h; }
  bool Contains(int px, int py) const { return px >= x && py >= y && px < x + w && py < y + h; }
  bool Intersects(const Rect& o) const {
    return !Empty() && !o.Empty() && x < o.Right() && o.x < Right() && y < o.Bottom() && o.y < Bottom();
  }
  Rect Intersect(const Rect& o) const {
    int l = std::max(x, o.x), t = std::max(y, o.y);
    int r = std::min(Right(), o.Right()), b = std::min(Bottom(), o.Bottom());
    if (r <= l || b <= t) return {};
    return {l, t, r - l, b - t};
  }
  Rect Union(const Rect& o) const {
    if (Empty()) return o;
    if (o.Empty()) return *this;
    int l = std::min(x, o.x), t = std::min(y, o.y);
    int r = std::max(Right(), o.Right()), b = std::max(Bottom(), o.Bottom());
    return {l, t, r - l, b - t};
  }
  bool operator==(const Rect&) const = default;
};

struct Point {
  int x = 0, y = 0;
};

// Virtual-key codes of the keys the game reads.
enum VKey : uint16_t {
  VK_RETURN = 13,
  VK_ESCAPE = 27,
  VK_SPACE = 32,
  VK_LEFT = 37,
  VK_UP = 38,
  VK_RIGHT = 39,
  VK_DOWN = 40,
};

enum class MouseButton { Left, Right, Middle };

}  // namespace tv
