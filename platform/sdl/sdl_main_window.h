#pragma once
#include <SDL.h>

#include <string>
#include <vector>

#include "platform/base/bitmap.h"
#include "platform/sdl/sdl_present.h"

namespace tv {

// The game's window: its picture at a whole scale, centred on black when the
// window is larger (fullscreen), and the way back from a window pixel to the
// picture's pixel it shows.
class SdlMainWindow {
 public:
  SdlMainWindow() = default;
  ~SdlMainWindow();
  SdlMainWindow(const SdlMainWindow&) = delete;
  SdlMainWindow& operator=(const SdlMainWindow&) = delete;

  // Opens it hidden, `scale` times the picture's size (0: the largest that
  // suits the first display, ScaleToFit), fullscreen when asked. Throws
  // std::runtime_error when the window system refuses it or it has nothing to
  // draw on, which would leave it blank.
  void Create(int pictureW, int pictureH, const std::string& title, const ArgbImage& icon, int scale,
              bool fullscreen);
  void Show();
  // Closes it; also when it is destroyed.
  void Destroy();
  void SetTitle(const std::string& title);
  // The width of the frame the window manager puts around it.
  int FrameWidth() const;
  // Shows `rects` of `picture`; nothing while the window is not shown yet (the
  // first picture then comes whole once it is). A picture that cannot be shown
  // is said once on stderr.
  void Present(const Bitmap& picture, const std::vector<Rect>& rects);
  // The window took a new size: the pointer is mapped anew at once.
  void Resized(int w, int h) { view_ = CentredView(w, h, pictureW_, pictureH_); }

  SDL_Window* Get() const { return window_; }
  Uint32 Id() const { return id_; }
  bool Shown() const { return window_ && (SDL_GetWindowFlags(window_) & SDL_WINDOW_SHOWN); }
  int Scale() const { return view_.scale; }
  int PictureX(int x) const { return Unscaled(x - view_.x, view_.scale); }
  int PictureY(int y) const { return Unscaled(y - view_.y, view_.scale); }

 private:
  bool ShowOnSurface(const Bitmap& picture, const std::vector<Rect>& rects);
  void SetIcon(const ArgbImage& icon);

  SDL_Window* window_ = nullptr;
  Uint32 id_ = 0;
  int pictureW_ = 0, pictureH_ = 0;
  View view_;                        // where the picture lies on the window now
  int surfaceW_ = 0, surfaceH_ = 0;  // the size of the surface last drawn on
  bool toldUnshown_ = false;         // a picture that could not be shown was reported
};

}  // namespace tv
