#include "platform/sound/audio_mixer.h"

#include <algorithm>
#include <cmath>

namespace tv {

namespace {

constexpr double kBeepHz = 880.0;
constexpr double kBeepSeconds = 0.12;
constexpr double kBeepLevel = 0.25;
constexpr double kPi = 3.14159265358979323846;

std::vector<float> MakeBeep() {
  const int rate = AudioMixer::kRate;
  const int frames = int(rate * kBeepSeconds);
  const int attack = rate * 5 / 1000;
  const int release = rate * 40 / 1000;
  std::vector<float> wave(size_t(frames), 0.0f);
  for (int i = 0; i < frames; ++i) {
    // Soft edges: no click at the start or the end.
    double env = 1.0;
    if (i < attack) env = double(i) / attack;
    if (i >= frames - release) env = std::min(env, double(frames - 1 - i) / release);
    wave[size_t(i)] = float(kBeepLevel * env * std::sin(2 * kPi * kBeepHz * i / rate));
  }
  return wave;
}

}  // namespace

AudioMixer::AudioMixer(AudioOutput& output)
    : output_(output), beepWave_(MakeBeep()), beepAt_(beepWave_.size()) {}

AudioMixer::~AudioMixer() { output_.Stop(); }

bool AudioMixer::Ready() {
  std::unique_lock<std::recursive_mutex> lock(mutex_);
  started_.wait(lock, [this] { return !starting_; });
  if (tried_) return available_;
  tried_ = true;
  starting_ = running_ = true;
  lock.unlock();
  const bool started = output_.Start(AudioFormat{kRate, kChannels}, [this](float* out, int frames) {
    return Mix(out, frames);
  });
  lock.lock();
  available_ = running_ = started;
  starting_ = false;
  lock.unlock();
  started_.notify_all();
  return started;
}

bool AudioMixer::Running() {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  return running_;
}

void AudioMixer::SetVoice(MediaVoice* voice) {
  SoundOutputLock lock(*this);
  if (voice_ && voice_ != voice) voice_->Replaced();
  voice_ = voice;
  if (voice_) Wake();
}

void AudioMixer::RemoveVoice(MediaVoice* voice) {
  SoundOutputLock lock(*this);
  if (voice_ == voice) voice_ = nullptr;
}

void AudioMixer::Beep() {
  if (!Ready()) return;
  SoundOutputLock lock(*this);
  if (muted_) return;
  beepAt_ = 0;
  Wake();
}

void AudioMixer::SetMuted(bool muted) {
  {
    SoundOutputLock lock(*this);
    if (muted_ == muted) return;
    muted_ = muted;
    if (!muted) {
      if (voice_) Wake();
      return;
    }
    beepAt_ = beepWave_.size();
    wanted_ = false;
    running_ = false;
  }
  // Not locked: closing waits for the pull in progress. A start racing this
  // one finds the mix muted at its first pull and lets the output go.
  output_.Stop();
}

void AudioMixer::Wake() {
  silent_ = 0;
  if (!running_ && available_ && !muted_) wanted_ = true;
}

void AudioMixer::Lock() {
  mutex_.lock();
  ++depth_;
}

void AudioMixer::Unlock() {
  const bool start = --depth_ == 0 && wanted_;
  if (start) {
    wanted_ = false;
    running_ = true;
  }
  mutex_.unlock();
  if (!start) return;
  // Not locked here: the output may wait for its previous pull to finish.
  const bool started = output_.Start(AudioFormat{kRate, kChannels}, [this](float* out, int frames) {
    return Mix(out, frames);
  });
  if (!started) {
    // The device went away; sound is dropped, as on a machine without one.
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    running_ = false;
  }
}

bool AudioMixer::Mix(float* out, int frames) {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  if (muted_) {
    running_ = false;
    return false;
  }
  bool sounding = voice_ && voice_->MixInto(out, frames);
  for (int i = 0; i < frames && beepAt_ < beepWave_.size(); ++i, ++beepAt_) {
    out[2 * i] += beepWave_[beepAt_];
    out[2 * i + 1] += beepWave_[beepAt_];
    sounding = true;
  }
  for (int i = 0; i < frames * kChannels; ++i) out[i] = std::clamp(out[i], -1.0f, 1.0f);
  silent_ = sounding ? 0 : silent_ + frames;
  if (silent_ < kGraceFrames) return true;
  // Idle: the output goes; the next sound wakes it.
  running_ = false;
  silent_ = 0;
  return false;
}

}  // namespace tv
