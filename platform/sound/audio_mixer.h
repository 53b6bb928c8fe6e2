#pragma once
#include <cstddef>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <vector>

#include "platform/sound/audio_output.h"
#include "platform/sound/sound_output.h"

namespace tv {

// The program's sound: the voice of the media player and, beside it, the beep,
// so a beep never stops the music. The output runs only while something
// sounds: after a grace period with nothing to play it is let go (no thread
// awake, no CPU), and the next sound starts it again from that sound's first
// frame, so nothing is lost and nothing clicks.
class AudioMixer final : public SoundOutput {
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
  // Callers on other threads meanwhile wait for that first start's answer,
  // so it may be made on a thread of its own (main does, beside the window).
  // Never called with the lock held.
  bool Ready() override;
  int Rate() const override { return kRate; }
  // Whether the output is started (false while idle).
  bool Running();

  // Gives the media voice to `voice`, telling the one that had it.
  void SetVoice(MediaVoice* voice) override;
  // Silences the media voice if `voice` has it.
  void RemoveVoice(MediaVoice* voice) override;
  // A short soft tone, restarted at each call; none while muted.
  void Beep();
  // Muted, the output is let go and the voice is not pulled, so the music
  // stands where it was; unmuted, whatever the voice plays sounds again from
  // there.
  void SetMuted(bool muted);

  // Keeps the pull out; recursive. The last unlock of a thread starts the
  // output again if a sound came while it was idle: never with the lock held,
  // since starting may wait for the previous pull to end.
  void Lock() override;
  void Unlock() override;

  // The output's pull.
  bool Mix(float* out, int frames);

 private:
  void Wake();  // with the lock held: a sound wants the output

  AudioOutput& output_;
  std::recursive_mutex mutex_;
  int depth_ = 0;  // lock depth of the holding thread (not the pull)
  bool tried_ = false, available_ = false;
  bool starting_ = false;                  // the first start is under way
  std::condition_variable_any started_;    // ... and has given its answer
  bool running_ = false, wanted_ = false;
  bool muted_ = false;
  int64_t silent_ = 0;  // frames pulled since anything last sounded
  MediaVoice* voice_ = nullptr;
  std::vector<float> beepWave_;  // mono
  size_t beepAt_ = 0;            // next frame of the beep; past the end = silent
};

}  // namespace tv
