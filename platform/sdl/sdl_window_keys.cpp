#include "platform/sdl/sdl_window_keys.h"

#include <cstdio>

#include "platform/sound/audio_device.h"
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

namespace {

// Whether `k` is a key of the window's own: a press `ours` says is one (its
// repeats too, which `first` tells apart), or the release of the one `held`.
bool OwnKey(const SDL_KeyboardEvent& k, bool ours, SDL_Scancode& held, bool& first) {
  first = false;
  if (k.type == SDL_KEYUP) {
    if (k.keysym.scancode != held) return false;
    held = SDL_SCANCODE_UNKNOWN;
    return true;
  }
  if (!ours) return false;
  held = k.keysym.scancode;
  first = !k.repeat;
  return true;
}

}  // namespace

bool WindowKeys::Fullscreen(const SDL_KeyboardEvent& k, SDL_Window* window) {
  bool first = false;
  if (!OwnKey(k, k.type == SDL_KEYDOWN && IsFullscreenKey(k.keysym), toggleKey_, first)) return false;
  if (first && window) {
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
  bool first = false;
  if (!OwnKey(k, k.type == SDL_KEYDOWN && IsMuteKey(k.keysym), muteKey_, first)) return false;
  if (first) {
    SetMuted(!muted_);
    Tell(window);
  }
  return true;
}

}  // namespace tv
