#include "platform/files/atomic_file.h"
#include "platform/files/png.h"

#include <png.h>

#include <cerrno>
#include <csetjmp>
#include <cstdio>
#include <vector>

#include "platform/files/late_library.h"

namespace tv {
namespace {

// libpng is loaded with the first picture written (--png, the tests, the
// generators), not with the program: a player's game writes none.
#define TV_PNG_FUNCTIONS(X)                                                                                  \
  X(png_create_write_struct) X(png_create_info_struct) X(png_destroy_write_struct) X(png_set_longjmp_fn)    \
  X(png_set_write_fn) X(png_get_io_ptr) X(png_error) X(png_set_IHDR) X(png_write_info) X(png_write_row)     \
  X(png_write_end)
TV_LATE_LIBRARY(gPng, LoadPng, TV_PNG_FUNCTIONS, "libpng", "no picture can be written", "libpng16.so.16",
                "libpng16.so")

// png_jmpbuf, a macro over this call: where libpng's errors jump to.
std::jmp_buf& JumpOf(png_structp png) { return *gPng.png_set_longjmp_fn(png, std::longjmp, sizeof(std::jmp_buf)); }

// Where libpng's bytes go, and the first error on the way.
struct Sink {
  std::FILE* file = nullptr;
  int error = 0;
};

void Write(png_structp png, png_bytep data, size_t size) {
  auto* sink = static_cast<Sink*>(gPng.png_get_io_ptr(png));
  if (std::fwrite(data, 1, size, sink->file) != size) {
    sink->error = errno ? errno : EIO;
    gPng.png_error(png, "write");
  }
}

void Flush(png_structp png) {
  auto* sink = static_cast<Sink*>(gPng.png_get_io_ptr(png));
  if (std::fflush(sink->file) != 0) {
    sink->error = errno ? errno : EIO;
    gPng.png_error(png, "flush");
  }
}

// The caller says what went wrong; libpng is not to print it as well.
[[noreturn]] void Error(png_structp png, png_const_charp) { std::longjmp(JumpOf(png), 1); }
void Warning(png_structp, png_const_charp) {}

}  // namespace

int WritePngFile(const std::string& path, int width, int height, const uint32_t* pixels, bool alpha) {
  if (!LoadPng()) return ELIBACC;
  AtomicFile out(path);
  Sink sink;
  sink.file = std::fopen(out.WritePath().c_str(), "wbe");
  if (!sink.file) return errno;
  png_structp png = gPng.png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, Error, Warning);
  png_infop info = png ? gPng.png_create_info_struct(png) : nullptr;
  const size_t channels = alpha ? 4 : 3;
  std::vector<png_byte> row(size_t(width) * channels);
  volatile bool written = false;  // set between setjmp and a possible longjmp
  if (png && info && setjmp(JumpOf(png)) == 0) {
    gPng.png_set_write_fn(png, &sink, Write, Flush);
    gPng.png_set_IHDR(png, info, png_uint_32(width), png_uint_32(height), 8, alpha ? PNG_COLOR_TYPE_RGBA : PNG_COLOR_TYPE_RGB,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    gPng.png_write_info(png, info);
    for (int y = 0; y < height; ++y) {
      const uint32_t* src = pixels + size_t(y) * size_t(width);
      png_byte* dst = row.data();
      for (int x = 0; x < width; ++x) {
        *dst++ = png_byte(src[x] >> 16);
        *dst++ = png_byte(src[x] >> 8);
        *dst++ = png_byte(src[x]);
        if (alpha) *dst++ = png_byte(src[x] >> 24);
      }
      gPng.png_write_row(png, row.data());
    }
    gPng.png_write_end(png, nullptr);
    written = true;
  }
  gPng.png_destroy_write_struct(&png, &info);
  // The close writes what the buffer still holds: a full disk often shows only here.
  const bool closed = std::fclose(sink.file) == 0;
  if (!closed && !sink.error) sink.error = errno ? errno : EIO;
  if (!written && !sink.error) sink.error = png && info ? EIO : ENOMEM;
  return sink.error ? sink.error : out.Commit();
}

}  // namespace tv
