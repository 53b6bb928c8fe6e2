#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

namespace tv::sdl {

// What the mixer pulls the music-or-effect voice from. Called on the audio
// thread with the device locked.
class AudioSource {
 public:
  virtual ~AudioSource() = default;
  // Adds `frames` interleaved stereo float frames into `out`.
  virtual void MixInto(float* out, int frames) = 0;
  // Another source took the voice: whatever this one played is cut off.
  virtual void Replaced() {}
};

// The one audio device of the program and its small mixer: the voice of the
// media player and, beside it, the beep, so a beep never stops the music.
class AudioDevice {
 public:
  static constexpr int kRate = 44100;
  static constexpr int kChannels = 2;

  static AudioDevice& Instance();

  // Opens the device at the first call; false when the machine has none.
  bool Ready();

  // Gives the media voice to `source`, telling the one that had it.
  void SetSource(AudioSource* source);
  // Silences the media voice if `source` has it.
  void RemoveSource(AudioSource* source);

  // A short soft tone, restarted at each call.
  void Beep();

  // Keeps the audio thread out while the caller changes what it reads.
  class Lock {
   public:
    explicit Lock(AudioDevice& device);
    ~Lock();
    Lock(const Lock&) = delete;
    Lock& operator=(const Lock&) = delete;

   private:
    uint32_t id_;
  };

 private:
  AudioDevice();
  ~AudioDevice();
  static void Callback(void* self, uint8_t* stream, int bytes);
  void Mix(float* out, int frames);

  bool tried_ = false;
  bool subsystem_ = false;
  uint32_t device_ = 0;
  AudioSource* source_ = nullptr;
  std::vector<float> beepWave_;  // mono
  size_t beepAt_ = 0;            // next frame of the beep; past the end = silent
};

// The system beep, for the window backend.
void Beep();

}  // namespace tv::sdl
