#pragma once
#include <SDL.h>

#include "platform/sdl/sdl_backend.h"
#include "platform/toolkit/own_keys.h"

namespace tv {

class AudioDevice;

// The window's own keys (OwnKeys) on SDL: fullscreen is SDL's desktop
// fullscreen, the mute is the audio device's. The listener hears each switch,
// so that the player's choice can be remembered.
class WindowKeys {
 public:
  explicit WindowKeys(AudioDevice& audio) : audio_(audio) {}

  // True when `k` is one of the window's own keys, which has done its work;
  // then nobody else sees it.
  bool Claim(const SDL_KeyboardEvent& k, SDL_Window* window);

  void SetMuted(bool muted);
  void Listen(WindowChoicesListener listener) { listener_ = std::move(listener); }

 private:
  void SwitchFullscreen(SDL_Window* window);
  void Tell(SDL_Window* window);

  AudioDevice& audio_;
  WindowChoicesListener listener_;
  OwnKeys keys_;
  bool muted_ = false;  // all sound switched off
};

}  // namespace tv
