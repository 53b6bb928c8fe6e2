// Wave files through libsndfile, read from memory, converted to the device's
// interleaved stereo float in one pass.
#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/sound/media_files.h"

namespace tv {
namespace {

// Decoded sound is held in memory whole; this bounds what a small file can blow up to.
constexpr int64_t kMaxDecodedBytes = int64_t(256) << 20;
// Rates outside what any sound card plays are not taken for sound.
constexpr int kMinRate = 1000, kMaxRate = 768000;
// No wave codec packs more samples than this into a byte (GSM 6.10 packs 4.85),
// so a file declaring more is lying about its length.
constexpr int64_t kMaxSamplesPerByte = 8;

struct Memory {
  const uint8_t* data;
  sf_count_t size;
  sf_count_t at = 0;
};

sf_count_t Length(void* m) { return static_cast<Memory*>(m)->size; }
sf_count_t Seek(sf_count_t offset, int whence, void* p) {
  auto* m = static_cast<Memory*>(p);
  const sf_count_t base = whence == SEEK_CUR ? m->at : whence == SEEK_END ? m->size : 0;
  const sf_count_t to = base + offset;
  if (to < 0 || to > m->size) return -1;
  m->at = to;
  return m->at;
}
sf_count_t Read(void* out, sf_count_t count, void* p) {
  auto* m = static_cast<Memory*>(p);
  const sf_count_t n = std::clamp<sf_count_t>(m->size - m->at, 0, std::max<sf_count_t>(count, 0));
  if (n > 0) std::memcpy(out, m->data + m->at, size_t(n));
  m->at += n;
  return n;
}
sf_count_t Write(const void*, sf_count_t, void*) { return 0; }
sf_count_t Tell(void* p) { return static_cast<Memory*>(p)->at; }

struct SndFileCloser {
  SNDFILE* f;
  ~SndFileCloser() { sf_close(f); }
};

bool IsWave(int format) {
  const int major = format & SF_FORMAT_TYPEMASK;
  return major == SF_FORMAT_WAV || major == SF_FORMAT_WAVEX || major == SF_FORMAT_RF64 || major == SF_FORMAT_W64;
}

// Only wave containers go to libsndfile: it would otherwise try every format it
// knows on the bytes, MPEG among them, whose decoder talks on stderr.
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
  Memory memory{bytes.data(), sf_count_t(bytes.size())};
  SF_VIRTUAL_IO io{Length, Seek, Read, Write, Tell};
  SF_INFO info{};
  SNDFILE* file = sf_open_virtual(&io, SFM_READ, &info, &memory);
  if (!file) return FileCheck::NotWave;
  SndFileCloser closer{file};
  if (!IsWave(info.format) || info.channels <= 0 || info.samplerate < kMinRate ||
      info.samplerate > kMaxRate || info.frames < 0)
    return FileCheck::NotWave;

  const int64_t samples = int64_t(info.frames) * info.channels;
  if (samples / info.channels != info.frames || samples > int64_t(bytes.size()) * kMaxSamplesPerByte)
    return FileCheck::NotWave;
  const int64_t outFrames = info.frames == 0 ? 0 : (info.frames - 1) * rate / info.samplerate + 1;
  if (samples * int64_t(sizeof(float)) > kMaxDecodedBytes ||
      outFrames * 2 * int64_t(sizeof(float)) > kMaxDecodedBytes)
    return FileCheck::TooLarge;

  std::vector<float> src(static_cast<size_t>(samples));
  const sf_count_t got = samples ? sf_readf_float(file, src.data(), info.frames) : 0;
  if (got < 0) return FileCheck::NotWave;
  ToStereo(src, info.channels, int64_t(got), info.samplerate, rate, stereo);
  return FileCheck::Ok;
}

}  // namespace tv
