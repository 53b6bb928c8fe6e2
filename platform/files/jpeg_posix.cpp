#include "platform/files/jpeg.h"

#include <csetjmp>
#include <cstddef>
#include <cstdio>
#include <string>
#include <vector>

#include <jpeglib.h>

#include "platform/files/late_library.h"

namespace tv {
namespace {

// libjpeg is loaded when the backdrop is first decoded, as a match first shows
// it, not with the program: the menu's first picture needs none of it.
#define TV_JPEG_FUNCTIONS(X)                                                                       \
  X(jpeg_std_error) X(jpeg_CreateDecompress) X(jpeg_destroy_decompress) X(jpeg_mem_src) X(jpeg_read_header) \
  X(jpeg_start_decompress) X(jpeg_read_scanlines) X(jpeg_finish_decompress)
TV_LATE_LIBRARY(gJpeg, LoadJpeg, TV_JPEG_FUNCTIONS, "libjpeg", "no match can start", "libjpeg.so.62",
                "libjpeg.so")

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
// Returns nullptr on success, else libjpeg's message; `usable` says whether
// libjpeg loaded and took the decoder's version (a library of another version
// than the header's refuses in jpeg_CreateDecompress, through the jump).
const char* DecodeRgb(const uint8_t* data, size_t size, int& width, int& height, std::vector<uint8_t>& rgb,
                      bool& usable) {
  usable = false;
  if (!LoadJpeg()) return "libjpeg cannot be loaded";
  static ErrorManager err;
  jpeg_decompress_struct cinfo;
  cinfo.err = gJpeg.jpeg_std_error(&err.base);
  err.base.error_exit = OnJpegError;
  if (setjmp(err.jump)) {
    gJpeg.jpeg_destroy_decompress(&cinfo);
    return err.message;
  }
  // jpeg_create_decompress, a macro over this call, which checks the version and the size.
  gJpeg.jpeg_CreateDecompress(&cinfo, JPEG_LIB_VERSION, sizeof(cinfo));
  usable = true;
  gJpeg.jpeg_mem_src(&cinfo, data, static_cast<unsigned long>(size));
  gJpeg.jpeg_read_header(&cinfo, TRUE);
  cinfo.out_color_space = JCS_RGB;
  gJpeg.jpeg_start_decompress(&cinfo);
  width = int(cinfo.output_width);
  height = int(cinfo.output_height);
  rgb.resize(size_t(width) * size_t(height) * 3);
  while (cinfo.output_scanline < cinfo.output_height) {
    JSAMPROW row = &rgb[size_t(cinfo.output_scanline) * size_t(width) * 3];
    gJpeg.jpeg_read_scanlines(&cinfo, &row, 1);
  }
  gJpeg.jpeg_finish_decompress(&cinfo);
  gJpeg.jpeg_destroy_decompress(&cinfo);
  return nullptr;
}

}  // namespace

std::string DecodeJpeg(const uint8_t* data, size_t size, JpegPicture& picture, bool& usable) {
  const char* failure = DecodeRgb(data, size, picture.width, picture.height, picture.rgb, usable);
  return failure ? failure : "";
}

const char* JpegDecoderRemedy() { return "Install the package libjpeg62-turbo"; }

}  // namespace tv
