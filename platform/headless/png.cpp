#include "platform/headless/png.h"

#include <png.h>

#include <cstdio>
#include <vector>

namespace tv {

bool SavePng(const Bitmap& picture, const std::string& path) {
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  bool ok = false;
  if (png && info && setjmp(png_jmpbuf(png)) == 0) {
    png_init_io(png, f);
    png_set_IHDR(png, info, png_uint_32(picture.width), png_uint_32(picture.height), 8, PNG_COLOR_TYPE_RGB,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    std::vector<png_byte> row(size_t(picture.width) * 3);
    for (int y = 0; y < picture.height; ++y) {
      for (int x = 0; x < picture.width; ++x) {
        const Pixel p = picture.At(x, y);
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
  return std::fclose(f) == 0 && ok;
}

}  // namespace tv
