#include "platform/win32/win32_machine.h"

#include <cstdio>
#include <exception>

#include "platform/headless/headless_backend.h"
#include "platform/headless/recording_audio.h"
#include "platform/win32/win32_audio.h"
#include "platform/win32/win32_bmp.h"
#include "platform/win32/win32_sound.h"
#include "platform/win32/win32_text.h"

namespace tv {

Win32Machine::Win32Machine(Options options) {
  // Level pictures are decoded as on the window, headless too.
  InstallWicBitmapDecoder();
  if (options.headless) {
    // Nothing to hear: an output that is never pulled, as a replay's notices are the journal's.
    sound_ = std::make_unique<Win32Sound>(std::make_unique<RecordingAudioOutput>());
    text_ = MakeGdiTextRenderer();
    backend_ = std::make_unique<HeadlessBackend>(*text_);
    return;
  }
  sound_ = std::make_unique<Win32Sound>(MakeWaveOutOutput());
  backend_ = MakeWin32Backend(sound_->device, std::move(options.window));
  // The menu's music asks for the device before the first picture, and then
  // only waits for this answer.
  audio_ = std::jthread([device = &sound_->device] {
    try {
      device->Ready();
    } catch (const std::exception& e) {
      std::fprintf(stderr, "tarvolen: cannot open the audio device: %s\n", e.what());
    }
  });
}

// The audio device's opening is joined first, then the backend (which beeps
// on the sound) goes, the sound last.
Win32Machine::~Win32Machine() {
  if (audio_.joinable()) audio_.join();
  backend_.reset();
  text_.reset();
  sound_.reset();
}

std::unique_ptr<MediaControl> Win32Machine::MakeMediaControl(MediaPostSink post) {
  return MakeWin32MediaControl(*sound_, std::move(post));
}

void Win32Machine::StartedUp() {
  if (audio_.joinable()) audio_.join();
}

}  // namespace tv
