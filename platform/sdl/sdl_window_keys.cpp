#include "platform/sdl/sdl_window_keys.h"

#include <cstdio>

#include "platform/sound/audio_device.h"
#include "platform/sdl/sdl_keys.h"

namespace tv {

bool WindowKeys::Claim(const SDL_KeyboardEvent& k, SDL_Window* window) {
  const KeyStroke stroke{LayoutKeyOf(k.keysym), int(k.keysym.scancode), k.type == SDL_KEYDOWN, k.repeat != 0,
                         (k.keysym.mod & KMOD_ALT) != 0, (k.keysym.mod & (KMOD_CTRL | KMOD_GUI)) != 0};
  switch (keys_.Claim(stroke)) {
    case OwnKeys::Use::Game:
      return false;
    case OwnKeys::Use::Swallowed:
      return true;
    case OwnKeys::Use::Fullscreen:
      SwitchFullscreen(window);
      return true;
    case OwnKeys::Use::Mute:
      SetMuted(!muted_);
      Tell(window);
      return true;
  }
  return true;
}

void WindowKeys::SetMuted(bool muted) { audio_.SetMuted(muted_ = muted); }

void WindowKeys::SwitchFullscreen(SDL_Window* window) {
  if (!window) return;
  const Uint32 desktop = SDL_WINDOW_FULLSCREEN_DESKTOP;
  const bool on = (SDL_GetWindowFlags(window) & desktop) != desktop;
  if (SDL_SetWindowFullscreen(window, on ? desktop : 0) != 0)
    std::fprintf(stderr, "tarvolen: cannot switch fullscreen: %s\n", SDL_GetError());
  else
    Tell(window);
}

void WindowKeys::Tell(SDL_Window* window) {
  const Uint32 desktop = SDL_WINDOW_FULLSCREEN_DESKTOP;
  if (listener_) listener_({window && (SDL_GetWindowFlags(window) & desktop) == desktop, muted_});
}

}  // namespace tv
