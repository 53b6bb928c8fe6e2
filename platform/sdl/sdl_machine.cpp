#include "platform/sdl/sdl_machine.h"

#include <pthread.h>

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <functional>
#include <future>

#include <malloc.h>

#include "platform/fluidsynth/game_sound.h"
#include "platform/headless/headless_backend.h"
#include "platform/sdl/sdl_bmp.h"
#include "platform/sdl/fontconfig_match.h"
#include "platform/sdl/sdl_process.h"
#include "platform/sdl/sdl_audio.h"
#include "platform/sdl/sdl_text.h"
#include "platform/sdl/sdl_thread.h"

namespace tv {

// What the first picture would otherwise wait for, each on a thread of its
// own beside the form's making: the synthesiser with its sound font (only
// when a piece has no recording), the font renderer's library with
// fontconfig's configuration, and the audio device (the menu's music asks for
// it before the first picture, and then only waits for the answer). However
// the machine goes, they are joined, their failures said, and fontconfig's
// configuration let go.
class StartUpThreads {
 public:
  explicit StartUpThreads(GameSound& sound)
      : music_(std::async(std::launch::async,
                          [&sound] {
                            Named("tarvolen-music");
                            PrepareGameMusic(sound);
                          })),
        fonts_(std::async(std::launch::async, [] {
          Named("tarvolen-fonts");
          PrepareText();
          PrepareFontMatching();
        })) {}
  // Once SDL's video has started: SDL starts its parts one at a time. On a
  // thread of SDL's own, since this one calls SDL, which frees what it keeps
  // per thread only for its own threads.
  void OpenAudio(GameSound& sound) { audio_.emplace("tarvolen-audio", [&sound] { sound.device.Ready(); }); }
  StartUpThreads(const StartUpThreads&) = delete;
  StartUpThreads& operator=(const StartUpThreads&) = delete;
  ~StartUpThreads() {
    if (audio_) Join([this] { audio_->Join(); }, "the audio device");
    Join([this] { music_.get(); }, "the music's synthesiser");
    Join([this] { fonts_.get(); }, "the fonts' configuration");
    ReleaseFontMatching();
  }

 private:
  // The thread's name, as `top -H` and a profiler show it.
  static void Named(const char* name) { pthread_setname_np(pthread_self(), name); }
  static void Join(const std::function<void()>& wait, const char* what) {
    try {
      wait();
    } catch (const std::exception& e) {
      std::fprintf(stderr, "tarvolen: cannot load %s: %s\n", what, e.what());
    }
  }
  std::future<void> music_;
  std::future<void> fonts_;
  std::optional<SdlThread> audio_;
};

SdlMachine::SdlMachine(Options options) : sound_(std::make_unique<GameSound>(std::make_unique<SdlAudioOutput>())) {
  // The environment is settled before any other thread can read it.
  if (options.headless)
    setenv("SDL_AUDIODRIVER", "dummy", 1);  // nothing to hear: SDL's silent driver
  else
    PrepareSdlProcess();
  // Beside SDL's video start, unless that start may fork (D-Bus autolaunching
  // its helper): a child forked while another thread holds a lock can hang on it.
  const bool mayFork = !options.headless && VideoStartMayFork();
  if (!mayFork) threads_ = std::make_unique<StartUpThreads>(*sound_);
  if (options.headless) {
    text_ = MakeSdlTextRenderer();
    // The level pictures are decoded as on the window (the SDL backend installs this itself).
    InstallSdlBitmapDecoder();
    backend_ = std::make_unique<HeadlessBackend>(*text_);
  } else {
    backend_ = MakeSdlBackend(sound_->device, std::move(options.window));
  }
  if (mayFork) threads_ = std::make_unique<StartUpThreads>(*sound_);
  if (!options.headless) threads_->OpenAudio(*sound_);
}

// The members go in reverse: the backend (which beeps on the sound), the
// start-up threads, and the sound last.
SdlMachine::~SdlMachine() = default;

std::unique_ptr<MediaControl> SdlMachine::MakeMediaControl(MediaPostSink post) {
  return MakeGameMediaControl(*sound_, std::move(post));
}

void SdlMachine::StartedUp() {
  // Start-up's passing allocations (font matching, picture decoding) are
  // freed by now; give their pages back rather than keep them resident.
  ReleaseFontMatching();
  malloc_trim(0);
}

}  // namespace tv
