#pragma once
#include <memory>
#include <thread>

#include "platform/sound/media_control.h"
#include "platform/toolkit/backend.h"
#include "platform/win32/win32_backend.h"

namespace tv {

struct Win32Sound;

// The machine the program runs on under Windows, made in one step: the
// window (or, for a replay without one, the headless backend over the same
// text and picture decoder), its text, and the sound. Its parts go in the
// order they need: the audio device's opening is waited for, then the
// backend goes, then the sound.
class Win32Machine {
 public:
  struct Options {
    bool headless = false;  // no window and no sound: a replay run as fast as it goes
    Win32WindowOptions window;
  };

  // Throws std::runtime_error, in plain words, when no window can be opened.
  explicit Win32Machine(Options options);
  ~Win32Machine();
  Win32Machine(const Win32Machine&) = delete;
  Win32Machine& operator=(const Win32Machine&) = delete;

  Backend& Window() { return *backend_; }
  // The media control layer on this machine's sound; destroy it before the machine.
  std::unique_ptr<MediaControl> MakeMediaControl(MediaPostSink post);
  // The form is up: what only start-up needed is let go.
  void StartedUp();

 private:
  std::unique_ptr<Win32Sound> sound_;
  std::unique_ptr<TextRenderer> text_;  // the headless backend's; the window has its own
  std::unique_ptr<Backend> backend_;
  std::jthread audio_;  // opens the audio device beside the form's making
};

}  // namespace tv
