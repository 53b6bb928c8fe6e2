#pragma once
#include <vector>

#include "platform/sound/audio_output.h"

namespace tv {

// A sound device that records into memory, pulled by hand: the whole of a
// second sound backend, and a test's ear.
class RecordingAudioOutput final : public AudioOutput {
 public:
  bool Start(const AudioFormat& format, AudioMix mix) override;
  void Stop() override { running_ = false; }

  // Pulls `frames` frames as a device would, if started.
  void Pull(int frames);
  bool Running() const { return running_; }
  int Starts() const { return starts_; }
  // Every frame pulled so far, interleaved.
  const std::vector<float>& Samples() const { return samples_; }

 private:
  AudioFormat format_;
  AudioMix mix_;
  bool running_ = false;
  int starts_ = 0;
  std::vector<float> samples_;
};

}  // namespace tv
