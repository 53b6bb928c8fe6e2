#include "platform/headless/recording_audio.h"

namespace tv {

bool RecordingAudioOutput::Start(const AudioFormat& format, AudioMix mix) {
  format_ = format;
  mix_ = std::move(mix);
  running_ = true;
  ++starts_;
  return true;
}

void RecordingAudioOutput::Pull(int frames) {
  if (!running_) return;
  const size_t from = samples_.size();
  samples_.resize(from + size_t(frames * format_.channels), 0.0f);
  running_ = mix_(samples_.data() + from, frames);
}

}  // namespace tv
