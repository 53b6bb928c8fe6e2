// The backdrop in a page: decoded by the browser's own JPEG decoder.
#include <cstdlib>
#include <memory>

#include "platform/files/jpeg.h"
#include "platform/web/web_page.h"

namespace tv {

std::string DecodeJpeg(const uint8_t* data, size_t size, JpegPicture& picture, bool& usable) {
  usable = true;
  int w = 0, h = 0;
  uint8_t* rgba = nullptr;
  std::string why;
  if (!page::DecodePicture(data, size, w, h, rgba, why)) return why.empty() ? "the browser cannot decode it" : why;
  const std::unique_ptr<uint8_t, decltype(&std::free)> held(rgba, &std::free);
  picture.width = w;
  picture.height = h;
  picture.rgb.resize(size_t(w) * size_t(h) * 3);
  for (size_t i = 0; i < size_t(w) * size_t(h); ++i)
    for (size_t c = 0; c < 3; ++c)
      picture.rgb[i * 3 + c] = rgba[i * 4 + c];
  return "";
}

const char* JpegDecoderRemedy() { return "Open the page in a browser that shows JPEG pictures."; }

}  // namespace tv
