// libFuzzer entry: any bytes given to the level-picture decoder come back as
// a well-formed picture or as the not-valid error; anything else (a crash, a
// sanitizer report, another exception) is a finding.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "platform/base/exceptions.h"
#include "platform/sdl/sdl_bmp.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  try {
    tv::Bitmap b = tv::DecodeBmp(data, size);
    if (b.width <= 0 || b.height <= 0 || b.pixels.size() != size_t(b.width) * size_t(b.height)) std::abort();
    for (tv::Pixel p : b.pixels)
      if (p > 0xFFFFFF) std::abort();
  } catch (const tv::EInvalidGraphic&) {
  }
  return 0;
}
