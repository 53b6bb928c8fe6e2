#pragma once
#include <memory>
#include <utility>

#include "platform/base/require.h"
#include "platform/sound/audio_mixer.h"

namespace tv {

// The program's one audio device: a mixer over the output a backend supplies
// (SDL's, a test's), for the media control layer and the beep. Nothing opens
// until the first sound.
class AudioDevice {
 public:
  static constexpr int kRate = AudioMixer::kRate;
  static constexpr int kChannels = AudioMixer::kChannels;

  explicit AudioDevice(std::unique_ptr<AudioOutput> output)
      : output_((Require(output != nullptr, "an audio device without an output"), std::move(output))),
        mixer_(*output_) {}
  AudioDevice(const AudioDevice&) = delete;
  AudioDevice& operator=(const AudioDevice&) = delete;

  // Opens the device at the first call; false when the machine has none.
  bool Ready() { return mixer_.Ready(); }
  void Beep() { mixer_.Beep(); }
  // Off: nothing sounds and the device is let go; on: the sound goes on from there.
  void SetMuted(bool muted) { mixer_.SetMuted(muted); }
  AudioMixer& Mixer() { return mixer_; }

  // Keeps the audio thread out while the caller changes what it reads.
  class Lock : public SoundOutputLock {
   public:
    explicit Lock(AudioDevice& device) : SoundOutputLock(device.mixer_) {}
  };

 private:
  std::unique_ptr<AudioOutput> output_;
  AudioMixer mixer_;  // stops the output before it goes
};

}  // namespace tv
