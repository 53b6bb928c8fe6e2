#include "platform/sdl/sdl_window_keys.h"

#include <cstdio>

#include "platform/sdl/sdl_audio.h"
#include "platform/sdl/sdl_keys.h"

namespace tv {

bool WindowKeys::Take(const SDL_KeyboardEvent& k, SDL_Window* window) {
  return Fullscreen(k, window) || Mute(k, window);
}

void WindowKeys::SetMuted(bool muted) { audio_.SetMuted(muted_ = muted); }

void WindowKeys::Tell(SDL_Window* window) {
  const Uint32 desktop = SDL_WINDOW_FULLSCREEN_DESKTOP;
  if (listener_) listener_({window && (SDL_GetWindowFlags(window) & desktop) == desktop, muted_});
}

bool WindowKeys::Fullscreen(const SDL_KeyboardEvent& k, SDL_Window* window) {
  const SDL_Scancode key = k.keysym.scancode;
  if (k.type == SDL_KEYUP) {
    if (key != toggleKey_) return false;
    toggleKey_ = SDL_SCANCODE_UNKNOWN;
    return true;
  }
  if (!IsFullscreenKey(k.keysym)) return false;
  toggleKey_ = key;
  if (!k.repeat && window) {
    const Uint32 desktop = SDL_WINDOW_FULLSCREEN_DESKTOP;
    const bool on = (SDL_GetWindowFlags(window) & desktop) != desktop;
    if (SDL_SetWindowFullscreen(window, on ? desktop : 0) != 0)
      std::fprintf(stderr, "tarvolen: cannot switch fullscreen: %s\n", SDL_GetError());
    else
      Tell(window);
  }
  return true;
}

bool WindowKeys::Mute(const SDL_KeyboardEvent& k, SDL_Window* window) {
  const SDL_Scancode key = k.keysym.scancode;
  if (k.type == SDL_KEYUP) {
    if (key != muteKey_) return false;
    muteKey_ = SDL_SCANCODE_UNKNOWN;
    return true;
  }
  if (!IsMuteKey(k.keysym)) return false;
  muteKey_ = key;
  if (k.repeat) return true;
  SetMuted(!muted_);
  Tell(window);
  return true;
}

}  // namespace tv
