#include "platform/sdl/sdl_audio.h"
#include "platform/sdl/sdl_subsystems.h"

#include <SDL.h>
#include <dlfcn.h>

#include <algorithm>
#include <cstdio>
#include <mutex>

namespace tv {

namespace {
SDL_sem* Sem(void* p) { return static_cast<SDL_sem*>(p); }

void QuietAlsaMessage(const char*, int, const char*, int, const char*, ...) {}

// ALSA prints its own complaints ("ALSA lib confmisc.c:...", eight of them on a
// machine without a sound card) straight to the player's terminal. SDL loads
// libasound itself, so the game does too, only to hand it a silent handler;
// the library stays loaded for SDL. Without ALSA there is nothing to quiet.
void QuietAlsa() {
  using Handler = void (*)(const char*, int, const char*, int, const char*, ...);
  void* alsa = ::dlopen("libasound.so.2", RTLD_NOW | RTLD_LOCAL);
  if (!alsa) return;
  auto set = reinterpret_cast<int (*)(Handler)>(::dlsym(alsa, "snd_lib_error_set_handler"));
  if (set) set(&QuietAlsaMessage);
}

// A machine without a sound device is told so once, not at every sound.
void SayPlaysSilent() {
  static std::once_flag told;
  std::call_once(told, [] {
    std::fprintf(stderr, "tarvolen: no sound device (%s); the game plays silent\n", SDL_GetError());
  });
}
}  // namespace

SdlAudioOutput::SdlAudioOutput() = default;

SdlAudioOutput::~SdlAudioOutput() {
  Stop();
  if (keeper_.joinable()) {
    quit_ = true;
    SDL_SemPost(Sem(wake_));
    keeper_.join();
  }
  if (wake_) SDL_DestroySemaphore(Sem(wake_));
  if (subsystem_) StopSdlPart(SDL_INIT_AUDIO);
}

bool SdlAudioOutput::Start(const AudioFormat& format, AudioMix mix) {
  std::lock_guard<std::mutex> lock(mutex_);
  // An idle device the keeper has not closed yet goes now: one device at a time.
  CloseLocked();
  if (!subsystem_) {
    QuietAlsa();
    if (!StartSdlPart(SDL_INIT_AUDIO)) {
      SayPlaysSilent();
      return false;
    }
    subsystem_ = true;
  }
  if (!wake_) {
    wake_ = SDL_CreateSemaphore(0);
    if (!wake_) return false;
    keeper_ = std::thread([this] { Keep(); });
  }
  mix_ = std::move(mix);
  channels_ = format.channels;
  idle_ = false;

  SDL_AudioSpec want{};
  want.freq = format.rate;
  want.format = AUDIO_F32SYS;
  want.channels = Uint8(format.channels);
  want.samples = kBufferFrames;
  want.callback = &SdlAudioOutput::Callback;
  want.userdata = this;
  // No allowed changes: SDL converts to whatever the hardware takes.
  SDL_AudioSpec have{};
  device_ = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
  if (device_ == 0) {
    SayPlaysSilent();
    return false;
  }
  SDL_PauseAudioDevice(device_, 0);
  return true;
}

void SdlAudioOutput::Stop() {
  std::lock_guard<std::mutex> lock(mutex_);
  CloseLocked();
}

void SdlAudioOutput::CloseLocked() {
  if (device_ != 0) SDL_CloseAudioDevice(device_);
  device_ = 0;
}

// Sleeps until the mix lets the device go, then closes it.
void SdlAudioOutput::Keep() {
  for (;;) {
    SDL_SemWait(Sem(wake_));
    if (quit_) return;
    std::lock_guard<std::mutex> lock(mutex_);
    // A start since the post has a fresh device that is not idle.
    if (idle_) CloseLocked();
  }
}

void SdlAudioOutput::Callback(void* self, uint8_t* stream, int bytes) {
  auto* me = static_cast<SdlAudioOutput*>(self);
  auto* out = reinterpret_cast<float*>(stream);
  const int frames = bytes / int(sizeof(float)) / me->channels_;
  std::fill(out, out + frames * me->channels_, 0.0f);
  if (me->idle_) return;
  if (!me->mix_(out, frames)) {
    me->idle_ = true;
    SDL_SemPost(Sem(me->wake_));
  }
}

}  // namespace tv
