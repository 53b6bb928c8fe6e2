// Wave files in a page: decoded whole by the browser at the file's own rate,
// so that the portable checks and conversion (wave_file.cpp) see the frames
// the file holds.
#include <algorithm>
#include <string>

#include "platform/sound/wave_decoder.h"
#include "platform/web/web_page.h"

namespace tv {
namespace {

uint32_t Le32(const uint8_t* p) { return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24; }

// The rate the "fmt " chunk declares; 0 when there is none to be read.
int DeclaredRate(const std::vector<uint8_t>& bytes) {
  if (bytes.size() < 12) return 0;
  for (size_t at = 12; at + 8 <= bytes.size();) {
    const uint32_t size = Le32(&bytes[at + 4]);
    if (std::string(bytes.begin() + long(at), bytes.begin() + long(at) + 4) == "fmt ")
      return size >= 8 && at + 16 <= bytes.size() ? int(Le32(&bytes[at + 12])) : 0;
    if (size > bytes.size() - at - 8) return 0;
    at += 8 + size + (size & 1);
  }
  return 0;
}

class BrowserWaveDecoder : public WaveDecoder {
 public:
  BrowserWaveDecoder(int handle, const WaveFormat& format) : handle_(handle), format_(format) {}
  ~BrowserWaveDecoder() override { page::ReleaseSound(handle_); }
  const WaveFormat& Format() const override { return format_; }
  int64_t Read(float* out, int64_t frames) override {
    const int64_t want = std::min<int64_t>(frames, format_.frames - position_);
    if (want <= 0) return 0;
    const int got = page::ReadSound(handle_, position_, out, int(want), format_.channels);
    position_ += got;
    return got;
  }

 private:
  int handle_;
  WaveFormat format_;
  int64_t position_ = 0;
};

}  // namespace

std::unique_ptr<WaveDecoder> OpenWaveDecoder(const std::vector<uint8_t>& bytes) {
  // The browser decodes at any rate it is asked; these are the ones it takes.
  const int rate = DeclaredRate(bytes);
  if (rate < 3000 || rate > 768000) return nullptr;
  WaveFormat format;
  format.rate = rate;
  std::string why;
  const int handle = page::DecodeSound(bytes.data(), bytes.size(), rate, format.channels, format.frames, why);
  if (!handle) return nullptr;
  return std::make_unique<BrowserWaveDecoder>(handle, format);
}

}  // namespace tv
