#include "platform/sdl/sdl_present.h"

#include <algorithm>

namespace tv {
namespace {

// The rectangle's pixels, each repeated `scale` times across and down.
void Enlarge(const Bitmap& picture, const Rect& r, int scale, std::vector<Pixel>& out) {
  const size_t width = size_t(r.w) * size_t(scale);
  out.resize(width * size_t(r.h) * size_t(scale));
  Pixel* dst = out.data();
  for (int y = r.y; y < r.y + r.h; ++y) {
    const Pixel* src = picture.pixels.data() + size_t(y) * picture.width + r.x;
    Pixel* first = dst;
    for (int x = 0; x < r.w; ++x)
      for (int k = 0; k < scale; ++k) *dst++ = src[x];
    for (int k = 1; k < scale; ++k, dst += width) std::copy(first, first + width, dst);
  }
}

}  // namespace

bool PresentToWindow(SDL_Window* window, const Bitmap& picture, const std::vector<Rect>& rects, int scale) {
  // Valid until the window changes size; SDL makes a new one then.
  SDL_Surface* surface = SDL_GetWindowSurface(window);
  if (!surface || scale < 1) return false;
  Rect bounds = Rect{0, 0, surface->w / scale, surface->h / scale}.Intersect({0, 0, picture.width, picture.height});
  std::vector<SDL_Rect> shown;
  shown.reserve(rects.size());
  std::vector<Pixel> enlarged;
  if (SDL_MUSTLOCK(surface) && SDL_LockSurface(surface) != 0) return false;
  for (const Rect& want : rects) {
    Rect r = want.Intersect(bounds);
    if (r.Empty()) continue;
    const Pixel* src = picture.pixels.data() + size_t(r.y) * picture.width + r.x;
    int srcPitch = picture.width * int(sizeof(Pixel));
    if (scale > 1) {
      Enlarge(picture, r, scale, enlarged);
      src = enlarged.data();
      srcPitch = r.w * scale * int(sizeof(Pixel));
    }
    const SDL_Rect s{r.x * scale, r.y * scale, r.w * scale, r.h * scale};
    auto* dst = static_cast<uint8_t*>(surface->pixels) + size_t(s.y) * surface->pitch +
                size_t(s.x) * surface->format->BytesPerPixel;
    if (SDL_ConvertPixels(s.w, s.h, SDL_PIXELFORMAT_RGB888, src, srcPitch, surface->format->format, dst,
                          surface->pitch) != 0)
      continue;
    shown.push_back(s);
  }
  if (SDL_MUSTLOCK(surface)) SDL_UnlockSurface(surface);
  if (!shown.empty()) SDL_UpdateWindowSurfaceRects(window, shown.data(), int(shown.size()));
  return true;
}

}  // namespace tv
