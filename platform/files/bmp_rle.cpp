#include "platform/files/bmp_rle.h"

#include <vector>

namespace tv {
namespace {

constexpr size_t kFileHeaderSize = 14;

uint32_t Le32(const uint8_t* p) {
  return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

// The bytes from the pixel data's start on, read one at a time.
class Reader {
 public:
  Reader(const uint8_t* data, size_t size, size_t at) : data_(data), size_(size), at_(at) {}
  uint8_t Next() {
    if (at_ >= size_) BitmapNotValid("the run-length data ends before its end mark");
    return data_[at_++];
  }

 private:
  const uint8_t* data_;
  size_t size_;
  size_t at_;
};

}  // namespace

Bitmap ExpandRunLengthBmp(const uint8_t* data, size_t size, const BmpHeader& header) {
  const bool rle8 = header.compression == 1;
  const int64_t width = header.width, height = header.height;
  // One byte an index, rows padded to four bytes and stored top row first, as SDL's 8-bit surface is.
  const int64_t pitch = (width + 3) / 4 * 4, total = pitch * height;
  std::vector<uint8_t> indices(size_t(total), 0);
  int64_t row = total - pitch, x = 0;  // the bottom row comes first
  const auto put = [&](unsigned index) {
    const int64_t at = row + x++;
    if (at >= 0 && at < total) indices[size_t(at)] = uint8_t(index);
  };
  Reader in(data, size, Le32(data + 10));
  for (bool done = false; !done;) {
    const unsigned count = in.Next(), value = in.Next();
    if (count > 0) {  // a run of one index, or of two alternating nibbles
      for (unsigned i = 0; i < count; ++i)
        put(rle8 ? value : i % 2 ? value & 15 : value >> 4);
      continue;
    }
    switch (value) {
      case 0:  // end of row
        x = 0;
        row -= pitch;
        break;
      case 1:  // end of the picture
        done = true;
        break;
      case 2: {  // a move right and up
        x += in.Next();
        row -= int64_t(in.Next()) * pitch;
        break;
      }
      default: {  // `value` pixels as they are, padded to a whole 16-bit word
        unsigned byte = 0;
        for (unsigned i = 0; i < value; ++i) {
          if (rle8 || i % 2 == 0) byte = in.Next();
          put(rle8 ? byte : i % 2 ? byte & 15 : byte >> 4);
        }
        if ((rle8 ? value : (value + 1) / 2) % 2) in.Next();
      }
    }
  }

  const uint64_t full = uint64_t(1) << header.bitCount;
  const uint64_t colours = header.coloursUsed == 0 || header.coloursUsed > full ? full : header.coloursUsed;
  const uint8_t* palette = data + kFileHeaderSize + header.infoSize;  // checked to lie within the file
  Bitmap b(static_cast<int>(width), static_cast<int>(height));
  for (int64_t y = 0; y < height; ++y)
    for (int64_t px = 0; px < width; ++px) {
      const unsigned index = indices[size_t(y * pitch + px)];
      if (index >= colours) BitmapNotValid("a colour index beyond the palette");
      const uint8_t* c = palette + size_t(index) * 4;
      b.Set(int(px), int(y), Pixel(c[2]) << 16 | Pixel(c[1]) << 8 | Pixel(c[0]));
    }
  return b;
}

}  // namespace tv
