#include <png.h>

#include <cstdio>
#include <vector>

#include "tests/e2e/x11_driver.h"

namespace tv::e2e {

// For looking at what a failing test saw.
bool Screenshot::SavePng(const std::string& path) const {
  if (width <= 0 || height <= 0) return false;
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  bool ok = false;
  if (info && !setjmp(png_jmpbuf(png))) {
    png_init_io(png, f);
    png_set_IHDR(png, info, png_uint_32(width), png_uint_32(height), 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    std::vector<png_byte> row(size_t(width) * 3);
    for (int y = 0; y < height; ++y) {
      for (int x = 0; x < width; ++x) {
        uint32_t p = At(x, y);
        row[size_t(x) * 3] = png_byte(p >> 16);
        row[size_t(x) * 3 + 1] = png_byte(p >> 8);
        row[size_t(x) * 3 + 2] = png_byte(p);
      }
      png_write_row(png, row.data());
    }
    png_write_end(png, nullptr);
    ok = true;
  }
  png_destroy_write_struct(&png, &info);
  std::fclose(f);
  return ok;
}

}  // namespace tv::e2e
