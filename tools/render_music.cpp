// Records the pieces beside the program ahead of time, with the synthesiser
// and settings the game plays them with (platform/sound/recorded_music.h), so the
// game plays them without synthesising. A piece already recorded whole under
// the same name is kept; recordings of no current piece are removed. Without a
// sound font nothing is recorded and the game synthesises as it plays. Beside
// the recordings goes their index (platform/sound/recording_index.h), for a
// program that finds them without the synthesiser.
// Usage: render_music <program directory>
#include <cstdio>
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/files/atomic_file.h"
#include "platform/sound/media_files.h"
#include "platform/sound/recording_index.h"
#include "platform/sound/recorded_music.h"
#include "platform/sound/audio_mixer.h"
#include "platform/fluidsynth/synth.h"

namespace fs = std::filesystem;

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: render_music <program directory>\n");
    return 2;
  }
  const std::string dir = argv[1];
  const fs::path out = tv::RecordingsDirectory(dir);
  std::error_code ec;
  fs::create_directories(out, ec);
  if (ec) {
    std::fprintf(stderr, "render_music: cannot make %s: %s\n", out.c_str(), ec.message().c_str());
    return 1;
  }
  const std::string synth = tv::SynthIdentity();
  if (synth.empty())
    std::printf("render_music: no sound font at %s: the music will be synthesised as it plays\n", tv::SoundFontPath());

  std::set<std::string> current{tv::kRecordingIndexName};
  std::map<std::string, std::string> index;  // by key, so that its lines come in one order
  for (const auto& entry : fs::directory_iterator(dir)) {
    if (synth.empty() || entry.path().extension() != ".mid") continue;
    std::vector<uint8_t> piece;
    uint32_t lengthMs = 0;
    if (tv::ReadMediaFile(entry.path().string(), piece) != tv::FileCheck::Ok ||
        tv::ParseMidi(piece, lengthMs) != tv::FileCheck::Ok) {
      std::fprintf(stderr, "render_music: %s is not a MIDI file the game plays\n", entry.path().c_str());
      return 1;
    }
    const std::string name = tv::RecordingName(piece, synth);
    current.insert(name);
    // Kept only if whole: a copy cut short would otherwise outlive every build.
    if (auto kept = tv::RecordedPiece::Open((out / name).string(), tv::AudioMixer::kRate)) {
      index[tv::RecordingKey(piece)] = tv::RecordingIndexLine(piece, name, kept->DoneFrame());
      continue;
    }
    std::vector<float> stereo;
    uint64_t done = 0;
    // The game plays a piece without its recording too: a build that cannot
    // make one says so and goes on (the tests require all nine).
    if (!tv::RecordPiece(piece, stereo, done) ||
        !tv::WriteRecording((out / name).string(), stereo, tv::AudioMixer::kRate, done))
      std::fprintf(stderr, "render_music: cannot record %s: it will be synthesised as it plays\n",
                   entry.path().c_str());
    else
      index[tv::RecordingKey(piece)] = tv::RecordingIndexLine(piece, name, done);
  }
  for (const auto& entry : fs::directory_iterator(out))
    if (!current.count(entry.path().filename().string())) fs::remove(entry.path());
  // Written whole or not at all, even when empty: a missing index is a damaged install.
  std::string lines;
  for (const auto& [key, line] : index) lines += line;
  if (tv::WriteWholeFile((out / tv::kRecordingIndexName).string(), lines) != 0) {
    std::fprintf(stderr, "render_music: cannot write the index of the recordings in %s\n", out.c_str());
    return 1;
  }
  return 0;
}
