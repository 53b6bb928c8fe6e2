// What the game waits for when it starts a sound: M1's Open and Play on the
// real media control layer (SDL's dummy audio driver unless one is chosen).
// The sound font is loaded by the first MIDI open, outside the timed loops.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "platform/sound/media_player.h"
#include "platform/sound/media_files.h"
#include "platform/sound/recorded_music.h"
#include "tests/support/sound_on_sdl.h"

namespace tv {
namespace {

// Set before SDL's audio starts, which happens at the first open.
[[maybe_unused]] const bool kDriverChosen = setenv("SDL_AUDIODRIVER", "dummy", 0) == 0;

std::string Data(const std::string& name) { return std::string(TARVOLEN_DATA_DIR) + "/" + name; }

struct Player {
  test::SoundOnSdl sdl;
  TMediaPlayer m1{*sdl.media};
  Player() { PlayFile(m1, Data("0.mid")); }  // the sound font is in from here on
};

Player& Shared() {
  static Player player;
  return player;
}

void BM_OpenPlayLevelMusic(benchmark::State& state) {
  Player& p = Shared();
  int level = 1;
  for (auto _ : state) {
    PlayFile(p.m1, Data(std::to_string(level) + ".mid"));
    level = level % 8 + 1;
  }
}
BENCHMARK(BM_OpenPlayLevelMusic)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

void BM_OpenPlayHitEffect(benchmark::State& state) {
  Player& p = Shared();
  for (auto _ : state) PlayFile(p.m1, Data("hit.wav"));
}
BENCHMARK(BM_OpenPlayHitEffect)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

std::vector<uint8_t> Bytes(const std::string& name) {
  std::ifstream in(Data(name), std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

void BM_CheckMidiFile(benchmark::State& state) {
  const std::vector<uint8_t> file = Bytes("8.mid");
  for (auto _ : state) {
    std::vector<uint8_t> copy = file;
    uint32_t ms = 0;
    benchmark::DoNotOptimize(ParseMidi(copy, ms));
  }
}
BENCHMARK(BM_CheckMidiFile)->Unit(benchmark::kMicrosecond);

void BM_DecodeHitEffect(benchmark::State& state) {
  const std::vector<uint8_t> file = Bytes("hit.wav");
  std::vector<float> pcm;
  for (auto _ : state) benchmark::DoNotOptimize(DecodeWave(file, 44100, pcm));
}
BENCHMARK(BM_DecodeHitEffect)->Unit(benchmark::kMicrosecond);

// Opening a piece's recording alone (its header and the check that it is
// whole), over the nine the build made.
void BM_OpenRecording(benchmark::State& state) {
  std::vector<std::string> paths;
  for (const auto& entry : std::filesystem::directory_iterator(RecordingsDirectory(TARVOLEN_DATA_DIR)))
    if (entry.path().extension() == ".flac") paths.push_back(entry.path().string());  // not their index
  if (paths.empty()) state.SkipWithError("no recordings beside the program");
  size_t next = 0;
  for (auto _ : state) {
    if (paths.empty()) break;
    benchmark::DoNotOptimize(RecordedPiece::Open(paths[next], 44100));
    next = (next + 1) % paths.size();
  }
}
BENCHMARK(BM_OpenRecording)->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly(true);

}  // namespace
}  // namespace tv
