#include "platform/base/bitmap.h"
#include "platform/files/png.h"
#include "tests/e2e/x11_driver.h"

namespace tv::e2e {

// For looking at what a failing test saw.
bool Screenshot::SavePng(const std::string& path) const {
  if (width <= 0 || height <= 0) return false;
  Bitmap picture(width, height);
  picture.pixels = pixels;  // both 0x00RRGGBB, row 0 at the top
  return tv::SavePng(picture, path) == 0;
}

}  // namespace tv::e2e
