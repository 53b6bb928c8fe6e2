#pragma once
#include <atomic>
#include <cstdint>
#include <mutex>
#include <thread>

#include "platform/sound/audio_mixer.h"

namespace tv {

// The SDL audio device as an AudioOutput. When the mix says it is idle, the
// device is closed by a keeper thread (a device cannot be closed from its own
// callback), so no audio thread stays awake while nothing sounds.
class SdlAudioOutput final : public AudioOutput {
 public:
  // Frames in each buffer the device plays.
  static constexpr int kBufferFrames = 1024;

  SdlAudioOutput();
  ~SdlAudioOutput() override;
  bool Start(const AudioFormat& format, AudioMix mix) override;
  void Stop() override;

 private:
  static void Callback(void* self, uint8_t* stream, int bytes);
  void Keep();
  void CloseLocked();

  std::mutex mutex_;  // the device's lifetime: never taken by the callback
  bool subsystem_ = false;
  uint32_t device_ = 0;
  int channels_ = 2;
  AudioMix mix_;
  std::atomic<bool> idle_{false};  // the mix let the open device go
  void* wake_ = nullptr;           // SDL semaphore the callback posts on idle
  std::atomic<bool> quit_{false};
  std::thread keeper_;
};

// The program's one audio device and mixer, for the media control layer and
// the beep; owned with the synthesiser by the program's sound (SdlSound).
// Nothing opens until the first sound.
class AudioDevice {
 public:
  static constexpr int kRate = AudioMixer::kRate;
  static constexpr int kChannels = AudioMixer::kChannels;

  AudioDevice() : mixer_(output_) {}
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
  SdlAudioOutput output_;
  AudioMixer mixer_;  // stops the output before it goes
};

}  // namespace tv
