#include "assets/backdrop.h"

#include <csetjmp>
#include <cstddef>
#include <cstdio>
#include <string>
#include <vector>

#include <jpeglib.h>

#include "platform/base/require.h"

namespace tv {

// Written by the build (tools/embed.cpp) from the generated backdrop.
extern const uint8_t kBackdropJpeg[];
extern const size_t kBackdropJpegSize;

namespace {

constexpr int kBackdropWidth = 593;
constexpr int kBackdropHeight = 402;

// libjpeg's default error handler exits the process; this one jumps back to
// the decoder instead, which stops with the library's message.
struct ErrorManager {
  jpeg_error_mgr base;
  std::jmp_buf jump;
  char message[JMSG_LENGTH_MAX];
};

void OnJpegError(j_common_ptr cinfo) {
  auto* err = reinterpret_cast<ErrorManager*>(cinfo->err);
  err->base.format_message(cinfo, err->message);
  std::longjmp(err->jump, 1);
}

// Kept free of objects with destructors: a longjmp out of libjpeg lands here.
// Returns nullptr on success, else libjpeg's message.
const char* DecodeRgb(const uint8_t* data, size_t size, int& width, int& height,
                      std::vector<uint8_t>& rgb) {
  static ErrorManager err;
  jpeg_decompress_struct cinfo;
  cinfo.err = jpeg_std_error(&err.base);
  err.base.error_exit = OnJpegError;
  if (setjmp(err.jump)) {
    jpeg_destroy_decompress(&cinfo);
    return err.message;
  }
  jpeg_create_decompress(&cinfo);
  jpeg_mem_src(&cinfo, data, static_cast<unsigned long>(size));
  jpeg_read_header(&cinfo, TRUE);
  cinfo.out_color_space = JCS_RGB;
  jpeg_start_decompress(&cinfo);
  width = int(cinfo.output_width);
  height = int(cinfo.output_height);
  rgb.resize(size_t(width) * size_t(height) * 3);
  while (cinfo.output_scanline < cinfo.output_height) {
    JSAMPROW row = &rgb[size_t(cinfo.output_scanline) * size_t(width) * 3];
    jpeg_read_scanlines(&cinfo, &row, 1);
  }
  jpeg_finish_decompress(&cinfo);
  jpeg_destroy_decompress(&cinfo);
  return nullptr;
}

Bitmap Decode() {
  int width = 0, height = 0;
  std::vector<uint8_t> rgb;
  const char* failure = DecodeRgb(kBackdropJpeg, kBackdropJpegSize, width, height, rgb);
  if (failure) {
    std::string what = std::string("the built-in backdrop does not decode: ") + failure;
    Require(false, what.c_str());
  }
  Require(width == kBackdropWidth && height == kBackdropHeight,
          "the built-in backdrop has the wrong size");
  Bitmap b(width, height);
  for (size_t i = 0; i < b.pixels.size(); ++i)
    b.pixels[i] = Pixel(rgb[i * 3]) << 16 | Pixel(rgb[i * 3 + 1]) << 8 | Pixel(rgb[i * 3 + 2]);
  return b;
}

}  // namespace

const Bitmap& BackdropPicture() {
  static const Bitmap picture = Decode();
  return picture;
}

std::span<const uint8_t> BackdropJpeg() { return {kBackdropJpeg, kBackdropJpegSize}; }

}  // namespace tv
