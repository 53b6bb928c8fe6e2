#include "platform/toolkit/painter.h"

namespace tv {

Painter::Painter(Bitmap& target, Rect clip)
    : target_(target), clip_(clip.Intersect({0, 0, target.width, target.height})) {}

void Painter::SetPixel(int x, int y, Pixel p) {
  if (clip_.Contains(x, y)) target_.Set(x, y, p);
}

void Painter::FillRect(const Rect& r, Pixel p) {
  Rect c = r.Intersect(clip_);
  for (int y = c.y; y < c.Bottom(); ++y)
    for (int x = c.x; x < c.Right(); ++x) target_.Set(x, y, p);
}

void Painter::DrawBitmap(int x0, int y0, const Bitmap& bmp, bool transparent) {
  Rect c = Rect{x0, y0, bmp.width, bmp.height}.Intersect(clip_);
  const Pixel key = bmp.TransparentPixel();
  for (int y = c.y; y < c.Bottom(); ++y) {
    for (int x = c.x; x < c.Right(); ++x) {
      Pixel p = bmp.At(x - x0, y - y0);
      if (transparent && p == key) continue;
      target_.Set(x, y, p);
    }
  }
}

void Painter::DrawMask(int x0, int y0, const TextMask& mask, Pixel p) {
  Rect c = Rect{x0, y0, mask.width, mask.height}.Intersect(clip_);
  for (int y = c.y; y < c.Bottom(); ++y) {
    for (int x = c.x; x < c.Right(); ++x) {
      unsigned a = mask.alpha[size_t(y - y0) * size_t(mask.width) + size_t(x - x0)];
      if (a == 0) continue;
      if (a == 255) {
        target_.Set(x, y, p);
        continue;
      }
      Pixel d = target_.At(x, y);
      Pixel out = 0;
      for (int shift = 0; shift <= 16; shift += 8) {
        unsigned s = (p >> shift) & 0xFF, t = (d >> shift) & 0xFF;
        out |= ((s * a + t * (255 - a) + 127) / 255) << shift;
      }
      target_.Set(x, y, out);
    }
  }
}

// The top-left stroke runs from the bottom-left corner up and across, the
// bottom-right stroke back, each segment leaving out its last point. So the line
// under the playfield (Bevel2, a lowered box 2 pixels high) is a grey row over a
// white one whose leftmost pixel stays grey
// (Toolkit.LoweredBoxTwoRowsHighPaintsShadowThenHighlightWithAShadowCorner).
void Painter::Frame3D(const Rect& r, Pixel topLeft, Pixel bottomRight) {
  if (r.Empty()) return;
  const int l = r.x, t = r.y, rr = r.Right() - 1, b = r.Bottom() - 1;
  for (int y = b; y > t; --y) SetPixel(l, y, topLeft);
  for (int x = l; x < rr; ++x) SetPixel(x, t, topLeft);
  for (int y = t; y < b; ++y) SetPixel(rr, y, bottomRight);
  for (int x = rr; x > l; --x) SetPixel(x, b, bottomRight);
  if (r.w == 1 || r.h == 1) SetPixel(rr, b, bottomRight);
}

}  // namespace tv
