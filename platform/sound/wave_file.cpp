// Wave files, decoded by the system's decoder (wave_decoder.h) and converted to
// the device's interleaved stereo float in one pass.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>

#include "platform/sound/media_files.h"
#include "platform/sound/wave_decoder.h"

namespace tv {
namespace {

// Decoded sound is held in memory whole; this bounds what a small file can blow up to.
constexpr int64_t kMaxDecodedBytes = int64_t(256) << 20;
// Rates outside what any sound card plays are not taken for sound.
constexpr int kMinRate = 1000, kMaxRate = 768000;
// No wave codec packs more samples than this into a byte (GSM 6.10 packs 4.85),
// so a file declaring more is lying about its length.
constexpr int64_t kMaxSamplesPerByte = 8;

// Only wave containers go to the decoder: libsndfile would otherwise try every
// format it knows on the bytes, MPEG among them, whose decoder talks on stderr.
bool LooksLikeWave(const std::vector<uint8_t>& b) {
  auto at = [&](size_t i, const char* tag) { return b.size() >= i + 4 && std::memcmp(&b[i], tag, 4) == 0; };
  return ((at(0, "RIFF") || at(0, "RIFX") || at(0, "RF64")) && at(8, "WAVE")) || (at(0, "riff") && at(24, "wave"));
}

float Clean(float v) { return std::isfinite(v) ? std::clamp(v, -1.0f, 1.0f) : 0.0f; }

// Mono to both sides, the first two channels of more; linear interpolation
// between source frames for another rate.
void ToStereo(const std::vector<float>& src, int channels, int64_t frames, int srcRate, int rate,
              std::vector<float>& stereo) {
  if (frames <= 0) return;
  const int64_t out = (frames - 1) * rate / srcRate + 1;
  stereo.resize(size_t(out) * 2);
  const int right = channels > 1 ? 1 : 0;
  for (int64_t i = 0; i < out; ++i) {
    const int64_t num = i * srcRate;
    const int64_t j = num / rate;
    const float frac = float(num % rate) / float(rate);
    const int64_t k = std::min(j + 1, frames - 1);
    const float* a = &src[size_t(j * channels)];
    const float* b = &src[size_t(k * channels)];
    stereo[size_t(2 * i)] = Clean(a[0] + (b[0] - a[0]) * frac);
    stereo[size_t(2 * i + 1)] = Clean(a[right] + (b[right] - a[right]) * frac);
  }
}

}  // namespace

FileCheck DecodeWave(const std::vector<uint8_t>& bytes, int rate, std::vector<float>& stereo) {
  stereo.clear();
  if (bytes.empty()) return FileCheck::Empty;
  if (rate <= 0 || !LooksLikeWave(bytes)) return FileCheck::NotWave;
  const auto decoder = OpenWaveDecoder(bytes);
  if (!decoder) return FileCheck::NotWave;
  const WaveFormat& info = decoder->Format();
  if (info.channels <= 0 || info.rate < kMinRate || info.rate > kMaxRate || info.frames < 0)
    return FileCheck::NotWave;

  if (info.frames > int64_t(bytes.size()) * kMaxSamplesPerByte / info.channels) return FileCheck::NotWave;
  const int64_t samples = info.frames * info.channels;
  const int64_t outFrames = info.frames == 0 ? 0 : (info.frames - 1) * rate / info.rate + 1;
  if (samples * int64_t(sizeof(float)) > kMaxDecodedBytes ||
      outFrames * 2 * int64_t(sizeof(float)) > kMaxDecodedBytes)
    return FileCheck::TooLarge;

  std::vector<float> src(static_cast<size_t>(samples));
  const int64_t got = samples ? decoder->Read(src.data(), info.frames) : 0;
  if (got < 0) return FileCheck::NotWave;
  ToStereo(src, info.channels, got, info.rate, rate, stereo);
  return FileCheck::Ok;
}

}  // namespace tv
