// Level pictures: device-independent bitmap files read with SDL_LoadBMP.
//
// SDL decodes the pixels once the headers are checked (platform/files/bmp_header.h),
// so that a hostile or broken file can neither make SDL allocate without bound
// nor slip through half-read; this file turns SDL's surface into a tv::Bitmap.
// The file itself is read by the toolkit (platform/files/picture_file.cpp).
#include <SDL.h>

#include <cstring>
#include <memory>

#include "platform/files/bmp_header.h"
#include "platform/files/picture_file.h"
#include "platform/sdl/sdl_bmp.h"

namespace tv {
namespace {

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
      if (row[x] >= palette->ncolors) BitmapNotValid("a colour index beyond the palette");
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
  const BmpHeader header = CheckBmpHeader(data, size);
  SDL_RWops* rw = SDL_RWFromConstMem(data, int(size));
  if (!rw) BitmapNotValid(SDL_GetError());
  SurfacePtr surface(SDL_LoadBMP_RW(rw, 1));
  if (!surface) BitmapNotValid(SDL_GetError());
  Bitmap b = surface->format->palette ? FromIndexed(surface.get()) : FromDirect(surface.get());
  b.monochrome = header.bitCount == 1;
  return b;
}

void InstallSdlBitmapDecoder() { SetBitmapDecoder(DecodeBmp); }

}  // namespace tv
