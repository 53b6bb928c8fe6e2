#pragma once
// Inside platform/sound: the system's own wave decoder behind the portable
// checks and conversion of wave_file.cpp. libsndfile on Linux
// (wave_decoder_posix.cpp), mmio and the ACM codecs on Windows
// (wave_decoder_win32.cpp).
#include <cstdint>
#include <memory>
#include <vector>

namespace tv {

struct WaveFormat {
  int channels = 0;
  int rate = 0;        // frames a second
  int64_t frames = 0;  // as the file declares them
};

class WaveDecoder {
 public:
  virtual ~WaveDecoder() = default;
  virtual const WaveFormat& Format() const = 0;
  // Decodes up to `frames` frames into `out` (interleaved, every channel),
  // each sample as the file holds it scaled to [-1, 1): the frames decoded,
  // or -1 when the data cannot be decoded.
  virtual int64_t Read(float* out, int64_t frames) = 0;
};

// The decoder over a wave file in memory (`bytes` outlives it), or null when
// it is no wave or its encoding is one this system cannot decode.
std::unique_ptr<WaveDecoder> OpenWaveDecoder(const std::vector<uint8_t>& bytes);

}  // namespace tv
