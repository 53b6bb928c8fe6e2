// Writes the right-hand launcher's picture for each campaign level as
// 1.bmp .. 8.bmp (24 bits per pixel) into a directory: `make_levels DIR`.
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "assets/disc.h"

namespace {

void Put16(std::vector<uint8_t>& out, uint32_t v) {
  out.push_back(uint8_t(v));
  out.push_back(uint8_t(v >> 8));
}
void Put32(std::vector<uint8_t>& out, uint32_t v) {
  Put16(out, v & 0xFFFF);
  Put16(out, v >> 16);
}

// A plain Windows bitmap: the 40-byte info header, no palette, rows bottom-up,
// blue-green-red, each padded with zeros to four bytes.
std::vector<uint8_t> Bmp24(const tv::Bitmap& b) {
  const uint32_t stride = (uint32_t(b.width) * 3 + 3) / 4 * 4;
  const uint32_t imageSize = stride * uint32_t(b.height);
  const uint32_t offBits = 14 + 40;
  std::vector<uint8_t> out{'B', 'M'};
  Put32(out, offBits + imageSize);
  Put32(out, 0);
  Put32(out, offBits);
  Put32(out, 40);
  Put32(out, uint32_t(b.width));
  Put32(out, uint32_t(b.height));
  Put16(out, 1);   // planes
  Put16(out, 24);  // bits per pixel
  Put32(out, 0);   // no compression
  Put32(out, imageSize);
  for (int i = 0; i < 4; ++i) Put32(out, 0);  // resolution, colours used and important
  for (int y = b.height - 1; y >= 0; --y) {
    for (int x = 0; x < b.width; ++x) {
      const tv::Pixel p = b.At(x, y);  // 0x00RRGGBB
      out.push_back(uint8_t(p));
      out.push_back(uint8_t(p >> 8));
      out.push_back(uint8_t(p >> 16));
    }
    out.resize(out.size() + (stride - uint32_t(b.width) * 3), 0);
  }
  return out;
}

// Writes beside and renames, so an interrupted build leaves no half file.
bool Save(const tv::Bitmap& b, const std::string& path) {
  const std::vector<uint8_t> bytes = Bmp24(b);
  const std::string tmp = path + ".tmp";
  std::FILE* f = std::fopen(tmp.c_str(), "wb");
  if (!f) return false;
  bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  ok = std::fclose(f) == 0 && ok;
  return ok && std::rename(tmp.c_str(), path.c_str()) == 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s DIR\n", argv[0]);
    return 2;
  }
  for (int level = 1; level <= tv::kLevelCount; ++level) {
    std::string path = std::string(argv[1]) + "/" + std::to_string(level) + ".bmp";
    if (!Save(tv::LevelPicture(level), path)) {
      std::fprintf(stderr, "make_levels: cannot write %s: %s\n", path.c_str(), std::strerror(errno));
      return 1;
    }
  }
  return 0;
}
