// Level pictures: device-independent bitmap files read with SDL_LoadBMP.
//
// SDL decodes the pixels; this file checks the headers before SDL sees them,
// so that a hostile or broken file can neither make SDL allocate without bound
// nor slip through half-read, and turns SDL's surface into a tv::Bitmap. The
// file itself is read by the toolkit (platform/files/picture_file.cpp).
#include <SDL.h>

#include <cstring>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/base/exceptions.h"
#include "platform/files/picture_file.h"
#include "platform/sdl/sdl_bmp.h"

namespace tv {
namespace {

// Far beyond any picture the game shows, small enough that a lying header
// costs at most a few hundred megabytes on the way to being refused.
constexpr int64_t kMaxSide = 16384;
constexpr int64_t kMaxPixels = int64_t(16) * 1024 * 1024;

constexpr size_t kFileHeaderSize = 14;

enum Compression : uint32_t { kRgb = 0, kRle8 = 1, kRle4 = 2, kBitfields = 3 };

// `why` is for the log line alone; the error's text is the toolkit's.
[[noreturn]] void NotValid(std::string why) {
  throw EInvalidGraphic("Bitmap image is not valid", std::move(why));
}

uint16_t Le16(const uint8_t* p) { return uint16_t(p[0] | p[1] << 8); }
uint32_t Le32(const uint8_t* p) { return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24; }

struct Header {
  uint32_t infoSize = 0;
  int64_t width = 0;
  int64_t height = 0;  // rows, whatever their order
  bool topDown = false;
  int bitCount = 0;
  uint32_t compression = kRgb;
  uint32_t coloursUsed = 0;
};

// Reads and checks the file and info headers. Everything SDL reads from them
// lies within `size`, and the pixel data promised by an uncompressed file is
// all there.
Header CheckHeaders(const uint8_t* data, size_t size) {
  if (size == 0) NotValid("the file is empty");
  if (size < 2 || data[0] != 'B' || data[1] != 'M') NotValid("no BM signature");
  if (size < kFileHeaderSize + 4) NotValid("the header is cut short");
  const uint32_t offBits = Le32(data + 10);
  Header h;
  h.infoSize = Le32(data + kFileHeaderSize);
  const uint8_t* info = data + kFileHeaderSize;
  switch (h.infoSize) {
    case 12:  // OS/2 1.x: 16-bit sizes, no compression
      if (size < kFileHeaderSize + 12) NotValid("the header is cut short");
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
      if (size < kFileHeaderSize + h.infoSize) NotValid("the header is cut short");
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
      NotValid("unknown header size " + std::to_string(h.infoSize));
  }

  if (h.width <= 0 || h.height <= 0 || h.width > kMaxSide || h.height > kMaxSide ||
      h.width * h.height > kMaxPixels)
    NotValid("size " + std::to_string(h.width) + " x " + std::to_string(h.height) + " out of range");

  switch (h.bitCount) {
    case 1: case 2: case 4: case 8: case 16: case 24: case 32: break;
    default: NotValid(std::to_string(h.bitCount) + " bits per pixel");
  }

  // Which compressions go with which depths. RLE runs bottom-up by
  // definition; OS/2 2.x uses 3 for its Huffman coding, which SDL lacks.
  switch (h.compression) {
    case kRgb: break;
    case kRle8: if (h.bitCount != 8 || h.topDown) NotValid("RLE8 needs 8 bits per pixel, bottom-up"); break;
    case kRle4: if (h.bitCount != 4 || h.topDown) NotValid("RLE4 needs 4 bits per pixel, bottom-up"); break;
    case kBitfields:
      if ((h.bitCount != 16 && h.bitCount != 32) || h.infoSize == 64)
        NotValid("bit fields with " + std::to_string(h.bitCount) + " bits per pixel or this header");
      // A Windows 3 header keeps its three masks just after itself.
      if (h.infoSize == 40 && size < kFileHeaderSize + 40 + 12) NotValid("the colour masks are cut short");
      break;
    default: NotValid("compression " + std::to_string(h.compression));
  }

  if (h.bitCount <= 8) {
    const uint64_t full = uint64_t(1) << h.bitCount;
    const uint64_t entries = (h.coloursUsed == 0 || h.coloursUsed > full) ? full : h.coloursUsed;
    const uint64_t entrySize = h.infoSize == 12 ? 3 : 4;
    if (kFileHeaderSize + h.infoSize + entries * entrySize > size) NotValid("the palette is cut short");
  }

  if (offBits >= size) NotValid("no pixel data");
  if (h.compression == kRgb || h.compression == kBitfields) {
    const uint64_t stride = (uint64_t(h.width) * uint64_t(h.bitCount) + 31) / 32 * 4;
    if (uint64_t(offBits) + stride * uint64_t(h.height) > size) NotValid("the pixel data is cut short");
  }
  return h;
}

struct SurfaceDeleter {
  void operator()(SDL_Surface* s) const { SDL_FreeSurface(s); }
};
using SurfacePtr = std::unique_ptr<SDL_Surface, SurfaceDeleter>;

const uint8_t* Row(const SDL_Surface* s, int y) {
  return static_cast<const uint8_t*>(s->pixels) + size_t(y) * size_t(s->pitch);
}

// Indexed pixels are looked up here rather than by SDL's converter, which
// trusts every index to lie within the palette; RLE data is not checked
// against it on loading.
Bitmap FromIndexed(const SDL_Surface* s) {
  const SDL_Palette* palette = s->format->palette;
  Bitmap b(s->w, s->h);
  for (int y = 0; y < s->h; ++y) {
    const uint8_t* row = Row(s, y);
    for (int x = 0; x < s->w; ++x) {
      if (row[x] >= palette->ncolors) NotValid("a colour index beyond the palette");
      const SDL_Color& c = palette->colors[row[x]];
      b.Set(x, y, Pixel(c.r) << 16 | Pixel(c.g) << 8 | Pixel(c.b));
    }
  }
  return b;
}

// SDL_GetRGB widens 5- and 6-bit channels exactly (full scale to 255), which
// SDL's blitter does not.
Bitmap FromDirect(const SDL_Surface* s) {
  const int bytes = s->format->BytesPerPixel;
  Bitmap b(s->w, s->h);
  for (int y = 0; y < s->h; ++y) {
    const uint8_t* row = Row(s, y);
    for (int x = 0; x < s->w; ++x) {
      const uint8_t* p = row + size_t(x) * size_t(bytes);
      uint32_t value = 0;
      if (bytes == 2) {
        uint16_t v16;
        std::memcpy(&v16, p, 2);
        value = v16;
      } else if (bytes == 4) {
        std::memcpy(&value, p, 4);
      } else if (SDL_BYTEORDER == SDL_LIL_ENDIAN) {
        value = uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16;
      } else {
        value = uint32_t(p[0]) << 16 | uint32_t(p[1]) << 8 | uint32_t(p[2]);
      }
      uint8_t r, g, bl;
      SDL_GetRGB(value, s->format, &r, &g, &bl);
      b.Set(x, y, Pixel(r) << 16 | Pixel(g) << 8 | Pixel(bl));
    }
  }
  return b;
}

}  // namespace

Bitmap DecodeBmp(const uint8_t* data, size_t size) {
  if (size > kMaxBitmapFileBytes) NotValid("the file is too large");
  const Header header = CheckHeaders(data, size);
  SDL_RWops* rw = SDL_RWFromConstMem(data, int(size));
  if (!rw) NotValid(SDL_GetError());
  SurfacePtr surface(SDL_LoadBMP_RW(rw, 1));
  if (!surface) NotValid(SDL_GetError());
  Bitmap b = surface->format->palette ? FromIndexed(surface.get()) : FromDirect(surface.get());
  b.monochrome = header.bitCount == 1;
  return b;
}

void InstallSdlBitmapDecoder() { SetBitmapDecoder(DecodeBmp); }

}  // namespace tv
