#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

// A bitmap file's headers, checked before any decoder sees the file: a
// hostile or broken file can then neither make the decoder allocate without
// bound nor slip through half-read. The writer's files (bmp.h) pass it.
namespace tv {

// What the file and info headers say.
struct BmpHeader {
  uint32_t infoSize = 0;
  int64_t width = 0;
  int64_t height = 0;  // rows, whatever their order
  bool topDown = false;
  int bitCount = 0;
  uint32_t compression = 0;  // 0 plain, 1 RLE8, 2 RLE4, 3 bit fields
  uint32_t coloursUsed = 0;
};

// Reads and checks the headers of the file in `data`: the file is not too
// large, its header is one the decoders know, its sides are in range,
// everything a decoder reads from the headers lies within `size`, and the
// pixel data an uncompressed file promises is all there. Throws
// EInvalidGraphic otherwise (BitmapNotValid).
BmpHeader CheckBmpHeader(const uint8_t* data, size_t size);

// Throws the toolkit's "Bitmap image is not valid", with `why` for the log line alone.
[[noreturn]] void BitmapNotValid(std::string why);

}  // namespace tv
