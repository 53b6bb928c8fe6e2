// libFuzzer entry: any bytes given to the wave opener are refused or come back
// as stereo frames, finite and within [-1, 1].
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "platform/sound/media_files.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<uint8_t> bytes(data, data + size);
  std::vector<float> stereo;
  if (tv::DecodeWave(bytes, 44100, stereo) != tv::FileCheck::Ok) {
    if (!stereo.empty()) std::abort();
    return 0;
  }
  if (stereo.size() % 2) std::abort();
  for (float v : stereo)
    if (!std::isfinite(v) || v < -1 || v > 1) std::abort();
  return 0;
}
