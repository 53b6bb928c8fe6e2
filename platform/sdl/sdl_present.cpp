#include "platform/sdl/sdl_present.h"

#include <algorithm>
#include <optional>

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

// Copies the picture's rectangle `want` (what of it the surface holds) to the
// locked surface as `view` says; where it went, or nothing when none of it fits.
std::optional<SDL_Rect> CopyToSurface(SDL_Surface* surface, const Bitmap& picture, const Rect& want, View view,
                                      std::vector<Pixel>& enlarged) {
  const int scale = view.scale;
  const Rect bounds = Rect{0, 0, std::max(0, surface->w - view.x) / scale, std::max(0, surface->h - view.y) / scale}
                          .Intersect({0, 0, picture.width, picture.height});
  const Rect r = want.Intersect(bounds);
  if (r.Empty()) return std::nullopt;
  const Pixel* src = picture.pixels.data() + size_t(r.y) * picture.width + r.x;
  int srcPitch = picture.width * int(sizeof(Pixel));
  if (scale > 1) {
    Enlarge(picture, r, scale, enlarged);
    src = enlarged.data();
    srcPitch = r.w * scale * int(sizeof(Pixel));
  }
  const SDL_Rect s{view.x + r.x * scale, view.y + r.y * scale, r.w * scale, r.h * scale};
  auto* dst = static_cast<uint8_t*>(surface->pixels) + size_t(s.y) * surface->pitch +
              size_t(s.x) * surface->format->BytesPerPixel;
  if (SDL_ConvertPixels(s.w, s.h, SDL_PIXELFORMAT_RGB888, src, srcPitch, surface->format->format, dst,
                        surface->pitch) != 0)
    return std::nullopt;
  return s;
}

}  // namespace

bool PresentToWindow(SDL_Window* window, const Bitmap& picture, const std::vector<Rect>& rects, View view,
                     bool wholeWindow) {
  // Valid until the window changes size; SDL makes a new one then.
  SDL_Surface* surface = SDL_GetWindowSurface(window);
  if (!surface || view.scale < 1) return false;
  std::vector<SDL_Rect> shown;
  shown.reserve(rects.size());
  std::vector<Pixel> enlarged;
  if (SDL_MUSTLOCK(surface) && SDL_LockSurface(surface) != 0) return false;
  for (const Rect& want : rects)
    if (auto s = CopyToSurface(surface, picture, want, view, enlarged)) shown.push_back(*s);
  if (SDL_MUSTLOCK(surface)) SDL_UnlockSurface(surface);
  if (wholeWindow) return SDL_UpdateWindowSurface(window) == 0;
  return shown.empty() || SDL_UpdateWindowSurfaceRects(window, shown.data(), int(shown.size())) == 0;
}

}  // namespace tv
