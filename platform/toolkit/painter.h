#pragma once
#include "platform/base/bitmap.h"
#include "platform/base/text.h"
#include "platform/base/types.h"

namespace tv {

// Draws into a framebuffer, never outside its clip rectangle.
class Painter {
 public:
  Painter(Bitmap& target, Rect clip);

  const Rect& Clip() const { return clip_; }
  void SetPixel(int x, int y, Pixel p);
  void FillRect(const Rect& r, Pixel p);
  // A picture 1:1 from (x, y); with `transparent`, pixels of the picture's
  // transparent colour are left out.
  void DrawBitmap(int x, int y, const Bitmap& bmp, bool transparent);
  // Text coverage blended in colour `p` over what is there.
  void DrawMask(int x, int y, const TextMask& mask, Pixel p);
  // A one-pixel frame round r: top and left in `topLeft`, bottom and right in
  // `bottomRight`; the corners where they meet are in painter.cpp.
  void Frame3D(const Rect& r, Pixel topLeft, Pixel bottomRight);

 private:
  Bitmap& target_;
  Rect clip_;
};

}  // namespace tv
