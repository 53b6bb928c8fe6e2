#include "platform/sdl/sdl_present.h"

namespace tv {

bool PresentToWindow(SDL_Window* window, const Bitmap& picture, const std::vector<Rect>& rects) {
  // Valid until the window changes size; SDL makes a new one then.
  SDL_Surface* surface = SDL_GetWindowSurface(window);
  if (!surface) return false;
  Rect bounds = Rect{0, 0, surface->w, surface->h}.Intersect({0, 0, picture.width, picture.height});
  std::vector<SDL_Rect> shown;
  shown.reserve(rects.size());
  if (SDL_MUSTLOCK(surface) && SDL_LockSurface(surface) != 0) return false;
  for (const Rect& want : rects) {
    Rect r = want.Intersect(bounds);
    if (r.Empty()) continue;
    const Pixel* src = picture.pixels.data() + size_t(r.y) * picture.width + r.x;
    auto* dst = static_cast<uint8_t*>(surface->pixels) + size_t(r.y) * surface->pitch +
                size_t(r.x) * surface->format->BytesPerPixel;
    if (SDL_ConvertPixels(r.w, r.h, SDL_PIXELFORMAT_RGB888, src, picture.width * int(sizeof(Pixel)),
                          surface->format->format, dst, surface->pitch) != 0)
      continue;
    shown.push_back(SDL_Rect{r.x, r.y, r.w, r.h});
  }
  if (SDL_MUSTLOCK(surface)) SDL_UnlockSurface(surface);
  if (!shown.empty()) SDL_UpdateWindowSurfaceRects(window, shown.data(), int(shown.size()));
  return true;
}

}  // namespace tv
