#pragma once
// Kept with the SDL backend: it puts the SDL backend's parts together for main.
#include <memory>

#include "platform/sdl/sdl_backend.h"
#include "platform/sound/media_control.h"

namespace tv {

class GameSound;
class StartUpThreads;

// The machine the program runs on, made in one step: the window (or, for a
// replay without one, the headless backend over the same fonts and picture
// decoder), its text, and the sound. Its parts go in the order they need:
// the backend, then the start-up threads are joined, then the sound.
class SdlMachine {
 public:
  struct Options {
    bool headless = false;    // no window and no sound: a replay run as fast as it goes
    SdlWindowOptions window;  // the window's scale, how it starts, who hears its switches
  };

  // Throws std::runtime_error, in plain words, when no window can be opened.
  explicit SdlMachine(Options options);
  ~SdlMachine();
  SdlMachine(const SdlMachine&) = delete;
  SdlMachine& operator=(const SdlMachine&) = delete;

  Backend& Window() { return *backend_; }
  // The media control layer on this machine's sound; destroy it before the machine.
  std::unique_ptr<MediaControl> MakeMediaControl(MediaPostSink post);
  // The form is up: what only start-up needed is let go.
  void StartedUp();

 private:
  std::unique_ptr<GameSound> sound_;
  std::unique_ptr<StartUpThreads> threads_;
  std::unique_ptr<TextRenderer> text_;  // the headless backend's; the window has its own
  std::unique_ptr<Backend> backend_;
};

}  // namespace tv
