// Writes the page's recordings: each piece beside the program, in level
// order, taken from its lossless recording (tools/render_music) and encoded
// as Ogg Vorbis, which every browser decodes, at a sixth of the size. Their
// index goes into the page's files in the same order, so the page decodes
// the next level's piece ahead; their frame counts go to `frames file` for
// the page's tests.
// Usage: make_web_music <program directory> <recordings out> <index file> <frames file>
#include <sndfile.h>

#include <cstdio>
#include <string>
#include <vector>

#include "platform/files/atomic_file.h"
#include "platform/files/system.h"
#include "platform/sound/media_files.h"
#include "platform/sound/recording_index.h"

namespace {

// Vorbis at this quality keeps the nine pieces near 5 MB.
constexpr double kQuality = 0.3;

bool Encode(const std::string& from, const std::string& to, uint64_t& frames) {
  SF_INFO in{};
  SNDFILE* src = sf_open(from.c_str(), SFM_READ, &in);
  if (!src) return false;
  SF_INFO out{};
  out.samplerate = in.samplerate;
  out.channels = in.channels;
  out.format = SF_FORMAT_OGG | SF_FORMAT_VORBIS;
  SNDFILE* dst = sf_open(to.c_str(), SFM_WRITE, &out);
  if (!dst) {
    sf_close(src);
    return false;
  }
  double quality = kQuality;
  sf_command(dst, SFC_SET_VBR_ENCODING_QUALITY, &quality, sizeof quality);
  std::vector<float> block(size_t(4096) * size_t(in.channels));
  frames = 0;
  bool ok = true;
  for (sf_count_t got; (got = sf_readf_float(src, block.data(), 4096)) > 0;) {
    ok = ok && sf_writef_float(dst, block.data(), got) == got;
    frames += uint64_t(got);
  }
  ok = ok && frames == uint64_t(in.frames);
  sf_close(src);
  return sf_close(dst) == 0 && ok;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 5) {
    std::fprintf(stderr, "usage: make_web_music <program directory> <recordings out> <index file> <frames file>\n");
    return 2;
  }
  const std::string dir = argv[1], out = argv[2];
  if (tv::MakeDirectories(out) != 0) {
    std::fprintf(stderr, "make_web_music: cannot make %s\n", out.c_str());
    return 1;
  }
  std::string index, frameCounts;
  for (int n = 0;; ++n) {
    const std::string name = std::to_string(n) + ".mid";
    std::vector<uint8_t> piece;
    if (tv::ReadMediaFile(tv::JoinPath(dir, name), piece) != tv::FileCheck::Ok) break;
    uint32_t lengthMs = 0;
    if (tv::ParseMidi(piece, lengthMs) != tv::FileCheck::Ok) {
      std::fprintf(stderr, "make_web_music: %s is not a MIDI file the game plays\n", name.c_str());
      return 1;
    }
    uint64_t done = 0, frames = 0;
    const std::string recording = tv::RecordingFor(dir, piece, &done);
    const std::string ogg = std::to_string(n) + ".ogg";
    // Without its recording (no sound font at build time) a piece is silent in the page.
    if (recording.empty()) {
      std::fprintf(stderr, "make_web_music: %s has no recording: it is silent in the page\n", name.c_str());
      continue;
    }
    if (!Encode(recording, tv::JoinPath(out, ogg), frames)) {
      std::fprintf(stderr, "make_web_music: cannot encode %s\n", recording.c_str());
      return 1;
    }
    index += tv::RecordingIndexLine(piece, ogg, done);
    frameCounts += ogg + " " + std::to_string(frames) + "\n";
  }
  if (tv::WriteWholeFile(argv[3], index) != 0 || tv::WriteWholeFile(argv[4], frameCounts) != 0) {
    std::fprintf(stderr, "make_web_music: cannot write the index\n");
    return 1;
  }
  return 0;
}
