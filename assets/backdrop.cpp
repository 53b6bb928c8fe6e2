#include "assets/backdrop.h"

#include <cstddef>
#include <string>
#include <vector>

#include "platform/base/exceptions.h"
#include "platform/base/require.h"
#include "platform/files/jpeg.h"

namespace tv {

// Written by the build (tools/embed.cpp) from the generated backdrop.
extern const uint8_t kBackdropJpeg[];
extern const size_t kBackdropJpegSize;

namespace {

constexpr int kBackdropWidth = 593;
constexpr int kBackdropHeight = 402;

Bitmap Decode() {
  JpegPicture jpeg;
  bool usable = false;
  const std::string failure = DecodeJpeg(kBackdropJpeg, kBackdropJpegSize, jpeg, usable);
  // A decoder missing or of another version is the machine's to mend, not a
  // programmer's error: the error box tells the player, and the menu stays.
  if (!failure.empty() && !usable)
    throw Exception("A match cannot start: " + failure + ". " + JpegDecoderRemedy());
  if (!failure.empty()) {
    std::string what = "the built-in backdrop does not decode: " + failure;
    Require(false, what.c_str());
  }
  Require(jpeg.width == kBackdropWidth && jpeg.height == kBackdropHeight,
          "the built-in backdrop has the wrong size");
  const std::vector<uint8_t>& rgb = jpeg.rgb;
  Bitmap b(jpeg.width, jpeg.height);
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
