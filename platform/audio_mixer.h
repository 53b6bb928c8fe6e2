#pragma once
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <vector>

#include "platform/audio_output.h"

namespace tv {

// What the mixer pulls the music-or-effect voice from. Called from the
// output's pull with the mixer locked.
class AudioSource {
 public:
  virtual ~AudioSource() = default;
  // Adds `frames` interleaved stereo frames into `out`. True while the source
  // plays or still rings out, even through a rest; false once it is done.
  virtual bool MixInto(float* out, int frames) = 0;
  // Another source took the voice: whatever this one played is cut off.
  virtual void Replaced() {}
};

// The program's sound: the voice of the media player and, beside it, the beep,
// so a beep never stops the music. The output runs only while something
// sounds: after a grace period with nothing to play it is let go (no thread
// awake, no CPU), and the next sound starts it again from that sound's first
// frame, so nothing is lost and nothing clicks.
class AudioMixer {
 public:
  static constexpr int kRate = 44100;
  static constexpr int kChannels = 2;
  // Silence this long, counted in frames pulled, lets the output go.
  static constexpr int64_t kGraceFrames = 2 * kRate;

  explicit AudioMixer(AudioOutput& output);
  ~AudioMixer();
  AudioMixer(const AudioMixer&) = delete;
  AudioMixer& operator=(const AudioMixer&) = delete;

  // Starts the output at the first call; false when the machine has none.
  bool Ready();
  // Whether the output is started (false while idle).
  bool Running();

  // Gives the media voice to `source`, telling the one that had it.
  void SetSource(AudioSource* source);
  // Silences the media voice if `source` has it.
  void RemoveSource(AudioSource* source);
  // A short soft tone, restarted at each call.
  void Beep();

  // Keeps the pull out; recursive. The last unlock of a thread starts the
  // output again if a sound came while it was idle: never with the lock held,
  // since starting may wait for the previous pull to end.
  void Lock();
  void Unlock();

  // The output's pull.
  bool Mix(float* out, int frames);

 private:
  void Wake();  // with the lock held: a sound wants the output

  AudioOutput& output_;
  std::recursive_mutex mutex_;
  int depth_ = 0;  // lock depth of the holding thread (not the pull)
  bool tried_ = false, available_ = false;
  bool running_ = false, wanted_ = false;
  int64_t silent_ = 0;  // frames pulled since anything last sounded
  AudioSource* source_ = nullptr;
  std::vector<float> beepWave_;  // mono
  size_t beepAt_ = 0;            // next frame of the beep; past the end = silent
};

// Scoped AudioMixer::Lock.
class AudioLock {
 public:
  explicit AudioLock(AudioMixer& mixer) : mixer_(mixer) { mixer_.Lock(); }
  ~AudioLock() { mixer_.Unlock(); }
  AudioLock(const AudioLock&) = delete;
  AudioLock& operator=(const AudioLock&) = delete;

 private:
  AudioMixer& mixer_;
};

}  // namespace tv
