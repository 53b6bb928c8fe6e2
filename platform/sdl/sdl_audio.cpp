#include "platform/sdl/sdl_audio.h"

#include <SDL.h>

#include <algorithm>
#include <cmath>

namespace tv::sdl {

namespace {

constexpr double kBeepHz = 880.0;
constexpr double kBeepSeconds = 0.12;
constexpr double kBeepLevel = 0.25;
constexpr double kPi = 3.14159265358979323846;

std::vector<float> MakeBeep() {
  const int frames = int(AudioDevice::kRate * kBeepSeconds);
  const int attack = AudioDevice::kRate * 5 / 1000;
  const int release = AudioDevice::kRate * 40 / 1000;
  std::vector<float> wave(size_t(frames), 0.0f);
  for (int i = 0; i < frames; ++i) {
    // Soft edges: no click at the start or the end.
    double env = 1.0;
    if (i < attack) env = double(i) / attack;
    if (i >= frames - release) env = std::min(env, double(frames - 1 - i) / release);
    wave[size_t(i)] = float(kBeepLevel * env * std::sin(2 * kPi * kBeepHz * i / AudioDevice::kRate));
  }
  return wave;
}

}  // namespace

AudioDevice& AudioDevice::Instance() {
  static AudioDevice device;
  return device;
}

AudioDevice::AudioDevice() : beepWave_(MakeBeep()), beepAt_(beepWave_.size()) {}

AudioDevice::~AudioDevice() {
  if (device_ != 0) SDL_CloseAudioDevice(device_);
  if (subsystem_) SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

bool AudioDevice::Ready() {
  if (tried_) return device_ != 0;
  tried_ = true;
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return false;
  subsystem_ = true;

  SDL_AudioSpec want{};
  want.freq = kRate;
  want.format = AUDIO_F32SYS;
  want.channels = kChannels;
  want.samples = 1024;
  want.callback = &AudioDevice::Callback;
  want.userdata = this;
  // No allowed changes: SDL converts to whatever the hardware takes.
  SDL_AudioSpec have{};
  device_ = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
  if (device_ == 0) return false;
  SDL_PauseAudioDevice(device_, 0);
  return true;
}

void AudioDevice::SetSource(AudioSource* source) {
  Lock lock(*this);
  if (source_ && source_ != source) source_->Replaced();
  source_ = source;
}

void AudioDevice::RemoveSource(AudioSource* source) {
  Lock lock(*this);
  if (source_ == source) source_ = nullptr;
}

void AudioDevice::Beep() {
  if (!Ready()) return;
  Lock lock(*this);
  beepAt_ = 0;
}

// SDL's device lock is recursive, so a holder may call SetSource.
AudioDevice::Lock::Lock(AudioDevice& device) : id_(device.device_) {
  if (id_ != 0) SDL_LockAudioDevice(id_);
}

AudioDevice::Lock::~Lock() {
  if (id_ != 0) SDL_UnlockAudioDevice(id_);
}

void AudioDevice::Callback(void* self, uint8_t* stream, int bytes) {
  auto* out = reinterpret_cast<float*>(stream);
  const int frames = bytes / int(sizeof(float) * kChannels);
  std::fill(out, out + frames * kChannels, 0.0f);
  static_cast<AudioDevice*>(self)->Mix(out, frames);
}

void AudioDevice::Mix(float* out, int frames) {
  if (source_) source_->MixInto(out, frames);
  for (int i = 0; i < frames && beepAt_ < beepWave_.size(); ++i, ++beepAt_) {
    out[2 * i] += beepWave_[beepAt_];
    out[2 * i + 1] += beepWave_[beepAt_];
  }
  for (int i = 0; i < frames * kChannels; ++i) out[i] = std::clamp(out[i], -1.0f, 1.0f);
}

void Beep() { AudioDevice::Instance().Beep(); }

}  // namespace tv::sdl
