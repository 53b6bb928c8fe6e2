#pragma once
#include <SDL.h>

#include "platform/sdl/sdl_backend.h"

namespace tv {

class AudioDevice;

// The program's own keys, which belong to the window and not to the game:
// F11 and Alt+Enter switch fullscreen, M switches all sound. Neither the game
// nor a journal sees them, and Alt+Enter is no Enter in the menu or a box;
// their repeats and releases go the same way. The listener hears each switch,
// so that the player's choice can be remembered.
class WindowKeys {
 public:
  explicit WindowKeys(AudioDevice& audio) : audio_(audio) {}

  // True when `k` was one of these keys (and has done its work).
  bool Take(const SDL_KeyboardEvent& k, SDL_Window* window);

  bool Muted() const { return muted_; }
  void SetMuted(bool muted);
  void Listen(WindowChoicesListener listener) { listener_ = std::move(listener); }

 private:
  bool Fullscreen(const SDL_KeyboardEvent& k, SDL_Window* window);
  bool Mute(const SDL_KeyboardEvent& k, SDL_Window* window);
  void Tell(SDL_Window* window);

  AudioDevice& audio_;
  WindowChoicesListener listener_;
  SDL_Scancode toggleKey_ = SDL_SCANCODE_UNKNOWN;  // the fullscreen key held down
  SDL_Scancode muteKey_ = SDL_SCANCODE_UNKNOWN;    // the mute key held down
  bool muted_ = false;                             // all sound switched off
};

}  // namespace tv
