#pragma once
#include <algorithm>
#include <cstdint>
#include <vector>

#include "platform/base/bitmap.h"

namespace tv {

// The icon on a size x size square, for the desktop's icon files and the
// window's icons. As large as the picture or larger, it is scaled by the
// largest whole factor that fits, so every pixel stays a sharp square block,
// and centred on a transparent canvas. Smaller (a 16-pixel icon of a 24-pixel
// picture), each pixel is the average of the picture's area it covers, its
// colour weighted by how opaque each part is: a crop would lose the picture's edges.
inline ArgbImage IconAt(const ArgbImage& icon, int size) {
  ArgbImage out{size, size, std::vector<uint32_t>(size_t(size) * size_t(size), 0)};
  if (icon.width <= 0 || icon.height <= 0 || size <= 0) return out;
  if (size >= icon.width && size >= icon.height) {
    const int factor = std::max(1, std::min(size / icon.width, size / icon.height));
    const int left = (size - icon.width * factor) / 2, top = (size - icon.height * factor) / 2;
    for (int y = 0; y < icon.height * factor && top + y < size; ++y)
      for (int x = 0; x < icon.width * factor && left + x < size; ++x)
        out.pixels[size_t(top + y) * size_t(size) + size_t(left + x)] =
            icon.pixels[size_t(y / factor) * size_t(icon.width) + size_t(x / factor)];
    return out;
  }
  const double step = double(std::max(icon.width, icon.height)) / size;
  const double left = (icon.width - size * step) / 2, top = (icon.height - size * step) / 2;
  // How much of the picture's pixel `b` lies between a0 and a1, along one side.
  auto overlap = [](double a0, double a1, int b) {
    return std::max(0.0, std::min(a1, b + 1.0) - std::max(a0, double(b)));
  };
  for (int oy = 0; oy < size; ++oy)
    for (int ox = 0; ox < size; ++ox) {
      const double x0 = left + ox * step, y0 = top + oy * step;
      double area = 0, alpha = 0, rgb[3] = {0, 0, 0};
      for (int y = std::max(0, int(y0)); y < std::min(icon.height, int(y0 + step) + 1); ++y)
        for (int x = std::max(0, int(x0)); x < std::min(icon.width, int(x0 + step) + 1); ++x) {
          const double w = overlap(x0, x0 + step, x) * overlap(y0, y0 + step, y);
          const uint32_t p = icon.pixels[size_t(y) * size_t(icon.width) + size_t(x)];
          const double a = w * double(p >> 24);
          area += w;
          alpha += a;
          for (int c = 0; c < 3; ++c) rgb[c] += a * double((p >> (16 - 8 * c)) & 0xFF);
        }
      if (alpha <= 0) continue;
      uint32_t p = uint32_t(std::clamp(alpha / area + 0.5, 0.0, 255.0)) << 24;
      for (int c = 0; c < 3; ++c) p |= uint32_t(std::clamp(rgb[c] / alpha + 0.5, 0.0, 255.0)) << (16 - 8 * c);
      out.pixels[size_t(oy) * size_t(size) + size_t(ox)] = p;
    }
  return out;
}

}  // namespace tv
