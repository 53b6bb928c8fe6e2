#pragma once
#include <cstdint>
#include <vector>

#include "platform/base/types.h"

namespace tv {

// A picture held as 0x00RRGGBB pixels, row 0 at the top.
struct Bitmap {
  int width = 0;
  int height = 0;
  std::vector<Pixel> pixels;
  // A two-colour bitmap: its transparent colour is white whatever its pixels say.
  bool monochrome = false;

  Bitmap() = default;
  Bitmap(int w, int h, Pixel fill = 0) : width(w), height(h), pixels(size_t(w) * size_t(h), fill) {}

  bool Empty() const { return width <= 0 || height <= 0; }
  Pixel At(int x, int y) const { return pixels[size_t(y) * size_t(width) + size_t(x)]; }
  void Set(int x, int y, Pixel p) { pixels[size_t(y) * size_t(width) + size_t(x)] = p; }

  // The colour left out when the picture is drawn transparently.
  Pixel TransparentPixel() const {
    if (monochrome || Empty()) return 0xFFFFFF;
    return At(0, height - 1);
  }
};

// A picture with an alpha channel (the window icon): 0xAARRGGBB.
struct ArgbImage {
  int width = 0;
  int height = 0;
  std::vector<uint32_t> pixels;
};

}  // namespace tv
