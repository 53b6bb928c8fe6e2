#pragma once
// What the Linux build hears (libsndfile's decode) of a few files the Windows
// build decodes with Windows' own libraries, kept in tests/win32/pcm_reference.txt
// so that each build's tests hold its decode to the same samples.
#include <cinttypes>
#include <cstdio>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "platform/sound/audio_device.h"
#include "platform/sound/media_files.h"
#include "platform/sound/recorded_music.h"

namespace tv::test {

struct PcmReference {
  uint64_t frames = 0;  // interleaved stereo at the device's rate
  std::string hash;     // FNV-1a over the float samples' bytes
};

inline std::string PcmHash(const std::vector<float>& samples) {
  uint64_t h = 14695981039346656037ull;
  const auto* p = reinterpret_cast<const uint8_t*>(samples.data());
  for (size_t i = 0; i < samples.size() * sizeof(float); ++i) h = (h ^ p[i]) * 1099511628211ull;
  char text[17];
  std::snprintf(text, sizeof text, "%016" PRIx64, h);
  return text;
}

// The reference's lines by file, the path relative to tests/.
inline std::map<std::string, PcmReference> PcmReferences(const std::string& testsDir) {
  std::map<std::string, PcmReference> all;
  std::ifstream in(testsDir + "/win32/pcm_reference.txt");
  for (std::string line; std::getline(in, line);) {
    std::istringstream words(line);
    std::string file;
    PcmReference ref;
    if (line.empty() || line[0] == '#' || !(words >> file >> ref.frames >> ref.hash)) continue;
    all[file] = ref;
  }
  return all;
}

// The file as the game hears it: a wave decoded to the device's stereo, a
// recording played for `frames` frames; empty when it does not open.
inline std::vector<float> HeardPcm(const std::string& path, uint64_t frames) {
  std::vector<float> pcm;
  if (path.size() > 4 && path.substr(path.size() - 4) == ".wav") {
    std::vector<uint8_t> bytes;
    if (ReadMediaFile(path, bytes) != FileCheck::Ok ||
        DecodeWave(bytes, AudioDevice::kRate, pcm) != FileCheck::Ok)
      pcm.clear();
    return pcm;
  }
  auto piece = RecordedPiece::Open(path, AudioDevice::kRate);
  if (!piece) return pcm;
  pcm.assign(2 * frames, 0.0f);
  piece->Start();
  for (uint64_t f = 0; f < frames; f += 1000)
    piece->RenderInto(&pcm[2 * f], int(std::min<uint64_t>(1000, frames - f)));
  return pcm;
}

}  // namespace tv::test
