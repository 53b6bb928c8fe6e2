// Writes the program icon as a PNG with its alpha channel, for the desktop entry.
#include <png.h>

#include <cstdio>

#include "assets/pictures.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_icon OUT.png\n");
    return 2;
  }
  const tv::ArgbImage icon = tv::ProgramIcon();
  FILE* f = std::fopen(argv[1], "wb");
  if (!f) {
    std::perror(argv[1]);
    return 1;
  }
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  if (setjmp(png_jmpbuf(png))) {
    std::fprintf(stderr, "make_icon: cannot write %s\n", argv[1]);
    return 1;
  }
  png_init_io(png, f);
  png_set_IHDR(png, info, png_uint_32(icon.width), png_uint_32(icon.height), 8, PNG_COLOR_TYPE_RGBA,
               PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  for (int y = 0; y < icon.height; ++y) {
    png_byte row[4 * 256];
    for (int x = 0; x < icon.width && x < 256; ++x) {
      const uint32_t p = icon.pixels[size_t(y) * size_t(icon.width) + size_t(x)];
      row[4 * x] = png_byte(p >> 16);
      row[4 * x + 1] = png_byte(p >> 8);
      row[4 * x + 2] = png_byte(p);
      row[4 * x + 3] = png_byte(p >> 24);
    }
    png_write_row(png, row);
  }
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return std::fclose(f) == 0 ? 0 : 1;
}
