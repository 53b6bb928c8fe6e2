#pragma once
#include <functional>

namespace tv {

// The sound format every output is opened with: interleaved float frames.
struct AudioFormat {
  int rate = 44100;
  int channels = 2;
};

// Fills `frames` frames of `out` (zeroed by the caller) and says whether the
// output should go on pulling. Returning false lets the output stop until it
// is started again; no further call follows for that start.
using AudioMix = std::function<bool(float* out, int frames)>;

// A sound device as the mixer sees it: started and stopped, pulling the mix
// from a thread of its own or from a test's hand. The lock that keeps the
// pull out while a caller changes what it reads belongs to the mixer, since it
// must span every start and stop of the device.
class AudioOutput {
 public:
  virtual ~AudioOutput() = default;
  // Starts pulling from `mix`; false when there is no device to be had.
  // Never called from inside `mix`.
  virtual bool Start(const AudioFormat& format, AudioMix mix) = 0;
  // Stops pulling; returns once `mix` is no longer running.
  virtual void Stop() = 0;
};

}  // namespace tv
