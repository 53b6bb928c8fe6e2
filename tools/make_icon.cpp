// Writes the program icon as PNGs with their alpha channel for the desktop's
// icon theme: OUTDIR/<N>x<N>/tarvolen.png for every size named.
//
// The picture is 24 x 24 pixels; larger icons scale it by the largest whole
// factor that fits (so every pixel stays a sharp square block) and centre it
// on a transparent canvas: 32 gets the picture as it is with a 4-pixel margin,
// 64 it doubled (48) with 8, 128 it five times (120) with 4, 256 ten times (240) with 8.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "assets/pictures.h"
#include "platform/files/png.h"

namespace {

tv::ArgbImage IconAt(const tv::ArgbImage& icon, int size) {
  const int factor = std::max(1, std::min(size / icon.width, size / icon.height));
  const int left = (size - icon.width * factor) / 2, top = (size - icon.height * factor) / 2;
  tv::ArgbImage out{size, size, std::vector<uint32_t>(size_t(size) * size_t(size), 0)};
  for (int y = 0; y < icon.height * factor && top + y < size; ++y)
    for (int x = 0; x < icon.width * factor && left + x < size; ++x)
      if (top + y >= 0 && left + x >= 0)
        out.pixels[size_t(top + y) * size_t(size) + size_t(left + x)] =
            icon.pixels[size_t(y / factor) * size_t(icon.width) + size_t(x / factor)];
  return out;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: make_icon OUTDIR SIZE...\n");
    return 2;
  }
  const tv::ArgbImage icon = tv::ProgramIcon();
  for (int i = 2; i < argc; ++i) {
    const int size = std::atoi(argv[i]);
    if (size < 1 || size > 1024) {
      std::fprintf(stderr, "make_icon: bad size %s\n", argv[i]);
      return 2;
    }
    const std::string dir = std::string(argv[1]) + "/" + std::to_string(size) + "x" + std::to_string(size);
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    if (int err = tv::SavePng(IconAt(icon, size), dir + "/tarvolen.png")) {
      std::fprintf(stderr, "make_icon: cannot write %s/tarvolen.png: %s\n", dir.c_str(), std::strerror(err));
      return 1;
    }
  }
  return 0;
}
