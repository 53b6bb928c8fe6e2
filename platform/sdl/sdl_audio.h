#pragma once
#include <atomic>
#include <cstdint>
#include <mutex>
#include <thread>

#include "platform/sound/audio_output.h"

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

}  // namespace tv
