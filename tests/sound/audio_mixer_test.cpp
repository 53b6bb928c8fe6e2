// The portable mixer on the recording output: random scripts of sounds and
// pulls over many seeds, checked against what a player must hear. The output
// is let go only after the grace period of silence, comes back on the next
// sound, and every sound starts at its own first frame, restart or not.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <random>
#include <vector>

#include "platform/sound/audio_mixer.h"
#include "platform/headless/recording_audio.h"

namespace tv {
namespace {

constexpr int64_t kGrace = AudioMixer::kGraceFrames;

// A source whose frame k is +Value(k) left and -Value(k) right, so the beep,
// which is the same on both sides, drops out of (left - right) / 2.
class RampSource : public MediaVoice {
 public:
  RampSource(int64_t length, size_t startFrame) : length_(length), startFrame_(startFrame) {}
  static float Value(int64_t k) { return 0.001f * float(1 + k % 97); }

  bool MixInto(float* out, int frames) override {
    if (cut_ || pos_ >= length_) return false;
    for (int i = 0; i < frames && pos_ < length_; ++i, ++pos_) {
      out[2 * i] += Value(pos_);
      out[2 * i + 1] -= Value(pos_);
    }
    return true;
  }
  void Replaced() override { cut_ = true; }

  int64_t pos_ = 0;
  const int64_t length_;
  const size_t startFrame_;  // the recording's frame count when it was given the voice
  bool cut_ = false;
};

size_t Frames(const RecordingAudioOutput& out) { return out.Samples().size() / 2; }

// Every frame the source has played went out in order from its first frame on.
void ExpectWhole(const RecordingAudioOutput& out, const RampSource& s, unsigned seed) {
  const auto& x = out.Samples();
  for (int64_t k = 0; k < s.pos_; ++k) {
    const size_t f = s.startFrame_ + size_t(k);
    ASSERT_LT(2 * f + 1, x.size()) << "seed " << seed;
    ASSERT_NEAR((x[2 * f] - x[2 * f + 1]) / 2, RampSource::Value(k), 1e-6) << "seed " << seed << " frame " << k;
  }
}

size_t TrailingSilence(const RecordingAudioOutput& out) {
  const auto& x = out.Samples();
  size_t n = 0;
  while (n < x.size() / 2 && x[x.size() - 2 * n - 1] == 0.0f && x[x.size() - 2 * n - 2] == 0.0f) ++n;
  return n;
}

TEST(AudioMixerTest, TheOutputRunsOnlyWhileSomethingSoundsAndNothingIsLost) {
  for (unsigned seed = 1; seed <= 150; ++seed) {
    std::mt19937 rng(seed);
    RecordingAudioOutput out;
    AudioMixer mixer(out);
    ASSERT_TRUE(mixer.Ready());
    std::vector<std::unique_ptr<RampSource>> sources;
    int maxPull = 0;
    for (int step = 0; step < 120; ++step) {
      const int action = int(rng() % 10);
      if (action == 0) {
        sources.push_back(std::make_unique<RampSource>(int64_t(rng() % (3 * kGrace)), Frames(out)));
        mixer.SetVoice(sources.back().get());
        EXPECT_TRUE(out.Running()) << "seed " << seed << ": a new sound must start the output";
      } else if (action == 1) {
        mixer.Beep();
        EXPECT_TRUE(out.Running()) << "seed " << seed << ": a beep must start the output";
      } else if (action == 2 && !sources.empty()) {
        mixer.RemoveVoice(sources.back().get());
        sources.back()->cut_ = true;
      } else {
        const bool was = out.Running();
        const int pull = 1 + int(rng() % 4096);
        maxPull = std::max(maxPull, pull);
        out.Pull(pull);
        if (was && !out.Running()) {
          // Let go: only after the grace period of silence, and not much later.
          const size_t quiet = TrailingSilence(out);
          EXPECT_GE(quiet, size_t(kGrace)) << "seed " << seed;
          EXPECT_LE(quiet, size_t(kGrace + 2 * maxPull + AudioMixer::kRate / 4)) << "seed " << seed;
        }
      }
      EXPECT_EQ(mixer.Running(), out.Running()) << "seed " << seed;
      if (!sources.empty()) {
        ASSERT_NO_FATAL_FAILURE(ExpectWhole(out, *sources.back(), seed));
      }
    }
    for (float v : out.Samples()) {
      ASSERT_LE(std::abs(v), 1.0f) << "seed " << seed;
    }
    // Left alone, it always goes quiet and stops.
    for (int i = 0; i < 200 && out.Running(); ++i) out.Pull(4096);
    EXPECT_FALSE(out.Running()) << "seed " << seed;
    EXPECT_GE(out.Starts(), 1);
  }
}

}  // namespace
}  // namespace tv
