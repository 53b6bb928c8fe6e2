// Level pictures in a page: the headers checked by the game, so that a
// hostile or broken file can neither make the browser allocate without bound
// nor slip through half-read; the pixels decoded by the browser.
#include "platform/web/web_bmp.h"

#include <cstdlib>
#include <memory>
#include <string>

#include "platform/files/bmp_header.h"
#include "platform/files/bmp_rle.h"
#include "platform/files/picture_file.h"
#include "platform/web/web_page.h"

namespace tv {

Bitmap DecodeWebBmp(const uint8_t* data, size_t size) {
  const BmpHeader header = CheckBmpHeader(data, size);
  if (header.compression == 1 || header.compression == 2) {
    Bitmap b = ExpandRunLengthBmp(data, size, header);
    b.monochrome = false;
    return b;
  }
  int w = 0, h = 0;
  uint8_t* rgba = nullptr;
  std::string why;
  if (!page::DecodePicture(data, size, w, h, rgba, why)) BitmapNotValid(why);
  const std::unique_ptr<uint8_t, decltype(&std::free)> held(rgba, &std::free);
  if (int64_t(w) != header.width || int64_t(h) != header.height) BitmapNotValid("the decoder read another size");
  Bitmap b(w, h);
  for (size_t i = 0; i < b.pixels.size(); ++i)
    b.pixels[i] = Pixel(rgba[i * 4]) << 16 | Pixel(rgba[i * 4 + 1]) << 8 | Pixel(rgba[i * 4 + 2]);
  b.monochrome = header.bitCount == 1;
  return b;
}

void InstallWebBitmapDecoder() { SetBitmapDecoder(DecodeWebBmp); }

}  // namespace tv
