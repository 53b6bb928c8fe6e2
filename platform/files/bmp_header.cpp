#include "platform/files/bmp_header.h"

#include <utility>

#include "platform/base/exceptions.h"
#include "platform/files/picture_file.h"

namespace tv {
namespace {

// Far beyond any picture the game shows, small enough that a lying header
// costs at most a few hundred megabytes on the way to being refused.
constexpr int64_t kMaxSide = 16384;
constexpr int64_t kMaxPixels = int64_t(16) * 1024 * 1024;

constexpr size_t kFileHeaderSize = 14;

enum Compression : uint32_t { kRgb = 0, kRle8 = 1, kRle4 = 2, kBitfields = 3 };

uint16_t Le16(const uint8_t* p) { return uint16_t(p[0] | p[1] << 8); }
uint32_t Le32(const uint8_t* p) {
  return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

}  // namespace

[[noreturn]] void BitmapNotValid(std::string why) {
  throw EInvalidGraphic("Bitmap image is not valid", std::move(why));
}

BmpHeader CheckBmpHeader(const uint8_t* data, size_t size) {
  if (size > kMaxBitmapFileBytes) BitmapNotValid("the file is too large");
  if (size == 0) BitmapNotValid("the file is empty");
  if (size < 2 || data[0] != 'B' || data[1] != 'M') BitmapNotValid("no BM signature");
  if (size < kFileHeaderSize + 4) BitmapNotValid("the header is cut short");
  const uint32_t offBits = Le32(data + 10);
  BmpHeader h;
  h.infoSize = Le32(data + kFileHeaderSize);
  const uint8_t* info = data + kFileHeaderSize;
  switch (h.infoSize) {
    case 12:  // OS/2 1.x: 16-bit sizes, no compression
      if (size < kFileHeaderSize + 12) BitmapNotValid("the header is cut short");
      h.width = Le16(info + 4);
      h.height = Le16(info + 6);
      h.bitCount = Le16(info + 10);
      break;
    case 40:   // Windows 3
    case 52:   // with RGB masks
    case 56:   // with RGBA masks
    case 64:   // OS/2 2.x
    case 108:  // Windows 4
    case 124:  // Windows 5
    {
      if (size < kFileHeaderSize + h.infoSize) BitmapNotValid("the header is cut short");
      h.width = int32_t(Le32(info + 4));
      int64_t height = int32_t(Le32(info + 8));
      h.topDown = height < 0;
      h.height = height < 0 ? -height : height;
      h.bitCount = Le16(info + 14);
      h.compression = Le32(info + 16);
      h.coloursUsed = Le32(info + 32);
      break;
    }
    default:
      BitmapNotValid("unknown header size " + std::to_string(h.infoSize));
  }

  if (h.width <= 0 || h.height <= 0 || h.width > kMaxSide || h.height > kMaxSide ||
      h.width * h.height > kMaxPixels)
    BitmapNotValid("size " + std::to_string(h.width) + " x " + std::to_string(h.height) + " out of range");

  switch (h.bitCount) {
    case 1: case 2: case 4: case 8: case 16: case 24: case 32: break;
    default: BitmapNotValid(std::to_string(h.bitCount) + " bits per pixel");
  }

  // Which compressions go with which depths. RLE runs bottom-up by
  // definition; OS/2 2.x uses 3 for its Huffman coding, which SDL's reader lacks.
  switch (h.compression) {
    case kRgb: break;
    case kRle8:
      if (h.bitCount != 8 || h.topDown) BitmapNotValid("RLE8 needs 8 bits per pixel, bottom-up");
      break;
    case kRle4:
      if (h.bitCount != 4 || h.topDown) BitmapNotValid("RLE4 needs 4 bits per pixel, bottom-up");
      break;
    case kBitfields:
      if ((h.bitCount != 16 && h.bitCount != 32) || h.infoSize == 64)
        BitmapNotValid("bit fields with " + std::to_string(h.bitCount) + " bits per pixel or this header");
      // A Windows 3 header keeps its three masks just after itself.
      if (h.infoSize == 40 && size < kFileHeaderSize + 40 + 12)
        BitmapNotValid("the colour masks are cut short");
      break;
    default: BitmapNotValid("compression " + std::to_string(h.compression));
  }

  if (h.bitCount <= 8) {
    const uint64_t full = uint64_t(1) << h.bitCount;
    const uint64_t entries = (h.coloursUsed == 0 || h.coloursUsed > full) ? full : h.coloursUsed;
    const uint64_t entrySize = h.infoSize == 12 ? 3 : 4;
    if (kFileHeaderSize + h.infoSize + entries * entrySize > size) BitmapNotValid("the palette is cut short");
  }

  if (offBits >= size) BitmapNotValid("no pixel data");
  if (h.compression == kRgb || h.compression == kBitfields) {
    const uint64_t stride = (uint64_t(h.width) * uint64_t(h.bitCount) + 31) / 32 * 4;
    if (uint64_t(offBits) + stride * uint64_t(h.height) > size) BitmapNotValid("the pixel data is cut short");
  }
  return h;
}

}  // namespace tv
