#include "platform/sdl/sdl_main_window.h"

#include <cstdio>
#include <stdexcept>

#include "platform/base/require.h"
#include "platform/sdl/sdl_x11_errors.h"
#include "platform/toolkit/codepage.h"

namespace tv {

SdlMainWindow::~SdlMainWindow() { Destroy(); }

void SdlMainWindow::Destroy() {
  DestroyWindowQuietly(window_);
  window_ = nullptr;
}

void SdlMainWindow::Create(int pictureW, int pictureH, const std::string& title, const ArgbImage& icon, int scale,
                           bool fullscreen) {
  Require(window_ == nullptr, "the main window exists already");
  pictureW_ = pictureW;
  pictureH_ = pictureH;
  // The one display query of start-up: the window opens centred on the first display.
  SDL_Rect usable;
  if (scale == 0)
    scale = SDL_GetDisplayUsableBounds(0, &usable) == 0 ? ScaleToFit(usable.w, usable.h, pictureW, pictureH, kMaxScale)
                                                        : 1;
  // Hidden until shown: the first picture is composed before it appears.
  window_ = SDL_CreateWindow(Cp1252ToUtf8(title).c_str(), SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED,
                             pictureW * scale, pictureH * scale,
                             SDL_WINDOW_HIDDEN | (fullscreen ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0));
  if (!window_) throw std::runtime_error(std::string("the window system refused the window (") + SDL_GetError() + ")");
  id_ = SDL_GetWindowID(window_);
  int w = 0, h = 0;
  SDL_GetWindowSize(window_, &w, &h);
  view_ = CentredView(w, h, pictureW_, pictureH_);
  SetIcon(icon);
  // A window with nothing to draw on would stay blank: say so instead of showing it.
  if (!SDL_GetWindowSurface(window_))
    throw std::runtime_error(std::string("the window has no surface to draw on (") + SDL_GetError() + ")");
}

void SdlMainWindow::Show() {
  if (window_) SDL_ShowWindow(window_);
}

void SdlMainWindow::SetTitle(const std::string& title) {
  if (window_) SDL_SetWindowTitle(window_, Cp1252ToUtf8(title).c_str());
}

int SdlMainWindow::FrameWidth() const {
  int top = 0, left = 0, bottom = 0, right = 0;
  if (!window_ || SDL_GetWindowBordersSize(window_, &top, &left, &bottom, &right) != 0) return 0;
  return left + right;
}

void SdlMainWindow::Present(const Bitmap& picture, const std::vector<Rect>& rects) {
  // A window not shown yet keeps nothing drawn on it.
  if (!Shown() || ShowOnSurface(picture, rects)) return;
  // The surface may have gone with a resize or fullscreen: once more, in
  // full, on the one SDL makes anew; then the player is told, once.
  surfaceW_ = surfaceH_ = 0;
  if (ShowOnSurface(picture, rects) || toldUnshown_) return;
  toldUnshown_ = true;
  std::fprintf(stderr, "tarvolen: the window's picture cannot be shown (%s)\n", SDL_GetError());
}

bool SdlMainWindow::ShowOnSurface(const Bitmap& picture, const std::vector<Rect>& rects) {
  SDL_Surface* surface = SDL_GetWindowSurface(window_);
  if (!surface) return false;
  if (surface->w == surfaceW_ && surface->h == surfaceH_) return PresentToWindow(window_, picture, rects, view_);
  // A new size (fullscreen came or went): black around the whole picture.
  surfaceW_ = surface->w;
  surfaceH_ = surface->h;
  view_ = CentredView(surfaceW_, surfaceH_, pictureW_, pictureH_);
  SDL_FillRect(surface, nullptr, SDL_MapRGB(surface->format, 0, 0, 0));
  return PresentToWindow(window_, picture, {Rect{0, 0, picture.width, picture.height}}, view_, true);
}

void SdlMainWindow::SetIcon(const ArgbImage& icon) {
  if (icon.width <= 0 || icon.height <= 0 || icon.pixels.size() < size_t(icon.width) * size_t(icon.height)) return;
  SDL_Surface* s = SDL_CreateRGBSurfaceWithFormatFrom(const_cast<uint32_t*>(icon.pixels.data()), icon.width,
                                                      icon.height, 32, icon.width * 4, SDL_PIXELFORMAT_ARGB8888);
  if (!s) return;
  SDL_SetWindowIcon(window_, s);
  SDL_FreeSurface(s);
}

}  // namespace tv
