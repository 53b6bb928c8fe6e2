// Wave files through libsndfile, read from memory.
#include <sndfile.h>

#include <algorithm>
#include <cstring>

#include "platform/sound/wave_decoder.h"

namespace tv {
namespace {

struct Memory {
  const uint8_t* data;
  sf_count_t size;
  sf_count_t at = 0;
};

sf_count_t MemoryLength(void* m) { return static_cast<Memory*>(m)->size; }
sf_count_t MemorySeek(sf_count_t offset, int whence, void* p) {
  auto* m = static_cast<Memory*>(p);
  const sf_count_t base = whence == SEEK_CUR ? m->at : whence == SEEK_END ? m->size : 0;
  const sf_count_t to = base + offset;
  if (to < 0 || to > m->size) return -1;
  m->at = to;
  return m->at;
}
sf_count_t MemoryRead(void* out, sf_count_t count, void* p) {
  auto* m = static_cast<Memory*>(p);
  const sf_count_t n = std::clamp<sf_count_t>(m->size - m->at, 0, std::max<sf_count_t>(count, 0));
  if (n > 0) std::memcpy(out, m->data + m->at, size_t(n));
  m->at += n;
  return n;
}
sf_count_t MemoryWrite(const void*, sf_count_t, void*) { return 0; }
sf_count_t MemoryTell(void* p) { return static_cast<Memory*>(p)->at; }

bool IsWave(int format) {
  const int major = format & SF_FORMAT_TYPEMASK;
  return major == SF_FORMAT_WAV || major == SF_FORMAT_WAVEX || major == SF_FORMAT_RF64 ||
         major == SF_FORMAT_W64;
}

class SndFileWave final : public WaveDecoder {
 public:
  explicit SndFileWave(const std::vector<uint8_t>& bytes) : memory_{bytes.data(), sf_count_t(bytes.size())} {}
  ~SndFileWave() override {
    if (file_) sf_close(file_);
  }

  bool Open() {
    SF_VIRTUAL_IO io{MemoryLength, MemorySeek, MemoryRead, MemoryWrite, MemoryTell};
    SF_INFO info{};
    file_ = sf_open_virtual(&io, SFM_READ, &info, &memory_);
    if (!file_ || !IsWave(info.format)) return false;
    format_ = {info.channels, info.samplerate, int64_t(info.frames)};
    return true;
  }

  const WaveFormat& Format() const override { return format_; }
  int64_t Read(float* out, int64_t frames) override {
    const sf_count_t got = sf_readf_float(file_, out, sf_count_t(frames));
    return got < 0 ? -1 : int64_t(got);
  }

 private:
  Memory memory_;
  SNDFILE* file_ = nullptr;
  WaveFormat format_;
};

}  // namespace

std::unique_ptr<WaveDecoder> OpenWaveDecoder(const std::vector<uint8_t>& bytes) {
  auto wave = std::make_unique<SndFileWave>(bytes);
  if (!wave->Open()) return nullptr;
  return wave;
}

}  // namespace tv
