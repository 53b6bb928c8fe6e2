#include "platform/headless/png.h"

#include <png.h>

#include <cstdio>
#include <vector>

namespace tv {
namespace {

// Writes `height` rows of 0x??RRGGBB pixels; the top byte is the alpha when `alpha` is set.
bool WritePng(const std::string& path, int width, int height, const uint32_t* pixels, bool alpha) {
  if (width <= 0 || height <= 0) return false;
  FILE* f = std::fopen(path.c_str(), "wbe");
  if (!f) return false;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  const size_t channels = alpha ? 4 : 3;
  std::vector<png_byte> row(size_t(width) * channels);
  bool ok = false;
  if (png && info && setjmp(png_jmpbuf(png)) == 0) {
    png_init_io(png, f);
    png_set_IHDR(png, info, png_uint_32(width), png_uint_32(height), 8, alpha ? PNG_COLOR_TYPE_RGBA : PNG_COLOR_TYPE_RGB,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = 0; y < height; ++y) {
      const uint32_t* src = pixels + size_t(y) * size_t(width);
      png_byte* dst = row.data();
      for (int x = 0; x < width; ++x) {
        *dst++ = png_byte(src[x] >> 16);
        *dst++ = png_byte(src[x] >> 8);
        *dst++ = png_byte(src[x]);
        if (alpha) *dst++ = png_byte(src[x] >> 24);
      }
      png_write_row(png, row.data());
    }
    png_write_end(png, nullptr);
    ok = true;
  }
  png_destroy_write_struct(&png, &info);
  return std::fclose(f) == 0 && ok;
}

}  // namespace

bool SavePng(const Bitmap& picture, const std::string& path) {
  if (picture.pixels.size() < size_t(picture.width) * size_t(picture.height)) return false;
  return WritePng(path, picture.width, picture.height, picture.pixels.data(), false);
}

bool SavePng(const ArgbImage& picture, const std::string& path) {
  if (picture.pixels.size() < size_t(picture.width) * size_t(picture.height)) return false;
  return WritePng(path, picture.width, picture.height, picture.pixels.data(), true);
}

}  // namespace tv
