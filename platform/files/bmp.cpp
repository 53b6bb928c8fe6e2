#include "platform/files/bmp.h"

#include <cstdint>

namespace tv {
namespace {

void Put(std::string& s, uint32_t v, int bytes) {
  for (int i = 0; i < bytes; ++i) s.push_back(char((v >> (8 * i)) & 0xFF));
}

}  // namespace

std::string BmpBytes(const Bitmap& picture) {
  const uint32_t stride = (uint32_t(picture.width) * 3 + 3) & ~3u;
  const uint32_t dataSize = stride * uint32_t(picture.height);
  std::string s = "BM";
  Put(s, 54 + dataSize, 4);
  Put(s, 0, 4);
  Put(s, 54, 4);
  Put(s, 40, 4);
  Put(s, uint32_t(picture.width), 4);
  Put(s, uint32_t(picture.height), 4);
  Put(s, 1, 2);   // planes
  Put(s, 24, 2);  // bits per pixel
  Put(s, 0, 4);   // no compression
  Put(s, dataSize, 4);
  for (int i = 0; i < 4; ++i) Put(s, 0, 4);  // resolution, colours used and important
  for (int y = picture.height - 1; y >= 0; --y) {
    for (int x = 0; x < picture.width; ++x) {
      const Pixel p = picture.At(x, y);
      s.push_back(char(p & 0xFF));
      s.push_back(char((p >> 8) & 0xFF));
      s.push_back(char((p >> 16) & 0xFF));
    }
    s.append(stride - uint32_t(picture.width) * 3, '\0');
  }
  return s;
}

}  // namespace tv
