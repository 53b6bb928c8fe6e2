// The pieces' recordings: made by the build with the game's synthesiser, they
// play as that synthesiser renders the pieces, and a damaged one is refused
// or ends quietly.
#include <gtest/gtest.h>

#include <dlfcn.h>
#include <sys/stat.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <numbers>
#include <random>
#include <set>

#include "platform/files/file_report.h"
#include "platform/sound/media_files.h"
#include "platform/sound/media_player.h"
#include "platform/sound/recorded_music.h"
#include "platform/sound/recording_index.h"
#include "tests/support/pcm_reference.h"
#include "tests/support/sound_on_sdl.h"
#include "platform/fluidsynth/synth.h"

namespace tv {
namespace {

namespace fs = std::filesystem;
constexpr int kRate = AudioDevice::kRate;

std::string Data(const std::string& name) { return std::string(TARVOLEN_DATA_DIR) + "/" + name; }

std::vector<uint8_t> Piece(const std::string& path) {
  std::vector<uint8_t> bytes;
  uint32_t ms = 0;
  if (ReadMediaFile(path, bytes) != FileCheck::Ok || ParseMidi(bytes, ms) != FileCheck::Ok) return {};
  return bytes;
}

std::string RecordingOf(const std::vector<uint8_t>& piece) {
  return RecordingsDirectory(TARVOLEN_DATA_DIR) + "/" + RecordingName(piece, SynthIdentity());
}

// Plays a renderer to the end of what it gives, in the device's buffers.
std::vector<float> PlayWhole(MidiRenderer& r, size_t frames) {
  std::vector<float> out(2 * frames, 0.0f);
  r.Start();
  for (size_t f = 0; f < frames; f += 1024) r.RenderInto(out.data() + 2 * f, int(std::min<size_t>(1024, frames - f)));
  return out;
}

TEST(RecordedMusic, EveryPieceBesideTheProgramPlaysAsTheSynthesiserRendersIt) {
  ASSERT_FALSE(SynthIdentity().empty()) << "no sound font at " << SoundFontPath();
  for (int n = 0; n <= 8; ++n) {
    SCOPED_TRACE(std::to_string(n) + ".mid");
    const std::vector<uint8_t> piece = Piece(Data(std::to_string(n) + ".mid"));
    ASSERT_FALSE(piece.empty());
    auto recorded = RecordedPiece::Open(RecordingOf(piece), kRate);
    ASSERT_TRUE(recorded) << "the build left no current recording";
    std::vector<float> fresh;
    uint64_t done = 0;
    ASSERT_TRUE(RecordPiece(piece, fresh, done));
    EXPECT_EQ(recorded->DoneFrame(), done);
    uint64_t indexed = 0;  // what a program without the synthesiser finds
    EXPECT_EQ(RecordingFor(TARVOLEN_DATA_DIR, piece, &indexed), RecordingOf(piece));
    EXPECT_EQ(indexed, done);
    const std::vector<float> heard = PlayWhole(*recorded, fresh.size() / 2 + 4096);
    // Within half a 16-bit step everywhere, and nothing after the end.
    float worst = 0;
    for (size_t i = 0; i < fresh.size(); ++i)
      worst = std::max(worst, std::abs(std::clamp(fresh[i], -1.0f, 32767 / 32768.0f) - heard[i]));
    EXPECT_LE(worst, 0.5f / 32768 + 1e-7f);
    EXPECT_TRUE(std::all_of(heard.begin() + long(fresh.size()), heard.end(), [](float v) { return v == 0.0f; }));
    EXPECT_TRUE(recorded->Finished());
  }
}

// The samples the Windows build's decoders are held to (tests/win32/sound_test.cpp)
// are the ones this build hears.
TEST(RecordedMusic, TheWindowsBuildsReferenceIsWhatThisBuildHears) {
  const std::string tests = std::string(TARVOLEN_CORPUS_DIR) + "/../..";
  const auto references = test::PcmReferences(tests);
  ASSERT_EQ(references.size(), 2u);
  for (const auto& [file, reference] : references)
    EXPECT_EQ(test::PcmHash(test::HeardPcm(tests + "/" + file, reference.frames)), reference.hash) << file;
}

// The game's own live path (one synthesiser for the run, whatever it played
// before) against the recording: the same music. A synthesiser that played
// before starts the piece on one of its 64-frame blocks, so the two may lie
// up to a block apart, and its chorus runs on between pieces: -76 dB of
// difference from a fresh synthesiser, -29 dB after another piece. A changed
// setting is more (reverb off: -14 dB; another gain or piece: above -6 dB).
TEST(RecordedMusic, TheLiveSynthesiserSoundsAsTheRecording) {
  const std::vector<uint8_t> piece = Piece(Data("0.mid"));
  auto recorded = RecordedPiece::Open(RecordingOf(piece), kRate);
  ASSERT_TRUE(recorded);
  // A synthesiser of its own: no audio thread renders it, so nothing to lock.
  Synth synth;
  auto seq = MidiSequence::Create(synth, piece);
  ASSERT_TRUE(seq);
  const std::vector<float> live = PlayWhole(*seq, 4 * kRate);
  seq->Stop();
  seq.reset();
  const std::vector<float> heard = PlayWhole(*recorded, 4 * kRate);
  constexpr int kBlock = 64;
  double signal = 0, best = 1e300;
  for (size_t i = 2 * kBlock; i < heard.size() - 2 * kBlock; ++i) signal += double(heard[i]) * heard[i];
  for (int shift = -kBlock; shift <= kBlock; ++shift) {
    double error = 0;
    for (size_t i = 2 * kBlock; i < heard.size() - 2 * kBlock; ++i) {
      const double d = double(live[size_t(int64_t(i) + 2 * shift)]) - heard[i];
      error += d * d;
    }
    best = std::min(best, error);
  }
  ASSERT_GT(signal, 0);
  EXPECT_LT(10 * std::log10(best / signal), -20.0) << "error " << 10 * std::log10(best / signal) << " dB";
}

class DamagedRecording : public ::testing::Test {
 protected:
  void SetUp() override {
    char tmpl[] = "/tmp/tarvolen-recording-XXXXXX";
    ASSERT_TRUE(mkdtemp(tmpl));
    dir_ = tmpl;
    std::vector<float> tone(2 * kRate / 2);
    for (size_t f = 0; f < tone.size() / 2; ++f)
      tone[2 * f] = tone[2 * f + 1] = float(0.5 * std::sin(2 * std::numbers::pi * 440 * double(f) / kRate));
    ASSERT_TRUE(WriteRecording(Path("good.flac"), tone, kRate, 8000));
    std::ifstream in(Path("good.flac"), std::ios::binary);
    good_.assign(std::istreambuf_iterator<char>(in), {});
  }
  void TearDown() override { fs::remove_all(dir_); }
  std::string Path(const std::string& name) const { return dir_ + "/" + name; }
  void Write(const std::string& name, const std::string& bytes) const {
    std::ofstream(Path(name), std::ios::binary | std::ios::trunc) << bytes;
  }

  std::string dir_;
  std::string good_;
};

TEST_F(DamagedRecording, WhatIsNotAWholeRecordingIsRefused) {
  auto good = RecordedPiece::Open(Path("good.flac"), kRate);
  ASSERT_TRUE(good);
  EXPECT_EQ(good->DoneFrame(), 8000u);
  EXPECT_FALSE(RecordedPiece::Open(Path("good.flac"), 48000)) << "another rate";
  EXPECT_FALSE(RecordedPiece::Open(Path("none.flac"), kRate));
  fs::create_directory(Path("dir.flac"));
  EXPECT_FALSE(RecordedPiece::Open(Path("dir.flac"), kRate));
  ASSERT_EQ(mkfifo(Path("pipe.flac").c_str(), 0600), 0);
  EXPECT_FALSE(RecordedPiece::Open(Path("pipe.flac"), kRate)) << "a pipe must be refused, not waited on";
  fs::copy_file(Data("hit.wav"), Path("wave.flac"));
  EXPECT_FALSE(RecordedPiece::Open(Path("wave.flac"), kRate));
  std::vector<float> tone(2 * 100, 0.25f);
  ASSERT_TRUE(WriteRecording(Path("late.flac"), tone, kRate, 101));
  EXPECT_FALSE(RecordedPiece::Open(Path("late.flac"), kRate)) << "its end lies past its last frame";
}

// Rewound (the decoder goes back on the audio thread), it plays from its top again.
TEST_F(DamagedRecording, ARewoundRecordingPlaysItsStartAgain) {
  auto piece = RecordedPiece::Open(Path("good.flac"), kRate);
  ASSERT_TRUE(piece);
  const std::vector<float> first = PlayWhole(*piece, 3000);
  ASSERT_TRUE(piece->Rewind());
  EXPECT_EQ(PlayWhole(*piece, 3000), first);
}

// Cut short (its header still promises the whole length): refused. With
// bytes changed anywhere as well: refused, or played to a quiet end within
// its frames, never out of range.
TEST_F(DamagedRecording, ADamagedFileIsRefusedOrPlaysToAnEnd) {
  ::testing::internal::CaptureStderr();  // a line for each file that breaks off
  for (uint32_t seed = 1; seed <= 150; ++seed) {
    std::mt19937 rng(seed);
    std::string bytes = good_;
    if (rng() % 2) bytes.resize(rng() % bytes.size());
    const int flips = int(rng() % 8);
    for (int i = 0; i < flips && !bytes.empty(); ++i) bytes[rng() % bytes.size()] = char(rng());
    // A name of its own: a file found damaged is refused for the rest of the run.
    const std::string name = "damaged" + std::to_string(seed) + ".flac";
    Write(name, bytes);
    auto piece = RecordedPiece::Open(Path(name), kRate);
    if (flips == 0 && bytes.size() < good_.size()) {
      EXPECT_FALSE(piece) << "seed " << seed << ": cut short";
    }
    if (!piece) continue;
    piece->Start();
    std::vector<float> out(2 * 4096);
    for (int block = 0; block < 16; ++block) {
      const int frames = 1 + int(rng() % 4096);
      std::fill(out.begin(), out.end(), 0.0f);
      piece->RenderInto(out.data(), frames);
      for (float v : out) ASSERT_TRUE(std::isfinite(v) && std::abs(v) <= 1.0f) << "seed " << seed;
    }
    EXPECT_TRUE(piece->Finished()) << "seed " << seed << ": 16 buffers cover the half second";
  }
  ::testing::internal::GetCapturedStderr();
}

// The index beside the recordings names a piece's file only while it is
// whole; otherwise no piece has a recording, said once in one line.
TEST_F(DamagedRecording, AnIndexNotAsTheBuildWritesItNamesNoRecording) {
  const std::vector<uint8_t> piece = Piece(Data("0.mid")), other = Piece(Data("1.mid"));
  const std::string key = RecordingKey(piece), line = RecordingIndexLine(piece, "good.flac", 8000);
  // Whole; missing; its end cut off; a line too long; a name reaching out; a line garbled.
  const std::string indexes[] = {line,
                                 "",
                                 line.substr(0, line.size() - 1),
                                 key + " good.flac " + std::string(300, '1') + "\n",
                                 key + " ../good.flac 8000\n",
                                 key + " sub/good.flac 8000\n",
                                 key + "  good.flac 8000\n"};
  ::testing::internal::CaptureStderr();
  for (size_t i = 0; i < std::size(indexes); ++i) {
    const std::string program = Path("p" + std::to_string(i));
    fs::create_directories(RecordingsDirectory(program));
    if (i != 1) Write("p" + std::to_string(i) + "/recordings/index", RecordingIndexLine(other, "x", 1) + indexes[i]);
    uint64_t done = 0;
    EXPECT_EQ(RecordingFor(program, piece, &done), i == 0 ? RecordingsDirectory(program) + "/good.flac" : "") << i;
    EXPECT_EQ(RecordingFor(program, piece, &done).empty(), i != 0) << "asked again";
    EXPECT_EQ(done, i == 0 ? 8000u : 0u);
  }
  const std::string err = ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), long(std::size(indexes)) - 1) << err;
}

// Damage past the check at open (the same length, bytes changed inside) ends
// the piece where it lies, is told once on stderr, and is refused from then on.
TEST_F(DamagedRecording, DamageFoundInPlayIsToldOnceAndRefusedAfter) {
  std::string bytes = good_;
  for (size_t i = 0; i < 16; ++i) bytes[bytes.size() / 2 + i] ^= 0x5a;
  Write("inner.flac", bytes);
  auto piece = RecordedPiece::Open(Path("inner.flac"), kRate);
  ASSERT_TRUE(piece) << "its end is whole";
  ::testing::internal::CaptureStderr();
  std::vector<float> out(2 * 1024);
  piece->Start();
  for (int block = 0; block < 32; ++block) piece->RenderInto(out.data(), 1024);
  EXPECT_FALSE(RecordedPiece::Open(Path("inner.flac"), kRate));
  const std::string err = ::testing::internal::GetCapturedStderr();
  EXPECT_TRUE(piece->Finished());
  EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
  EXPECT_EQ(err.rfind("tarvolen: " + Path("inner.flac") + ": ", 0), 0u) << err;
}

// The game's pieces all recorded: the synthesiser is never made, its sound
// font never read, and FluidSynth itself never loaded. Checked in a fresh
// process, where nothing else has made or loaded them yet. Without FluidSynth
// a piece without its recording names no file: the one line saying so is all.
TEST(RecordedMusicInTheGame, NoSynthesiserWhileEveryPieceIsRecorded) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        bool made = true;
        {
          test::SoundOnSdl sdl;
          PrepareGameMusic(sdl.sound);
          {
            TMediaPlayer m1(*sdl.media);
            for (const char* name : {"0.mid", "6.mid"}) PlayFile(m1, Data(name));
          }
          made = sdl.sound.synth.Made() || ::dlopen("libfluidsynth.so.3", RTLD_NOW | RTLD_NOLOAD);
        }
        std::exit(made ? 1 : 0);
      },
      ::testing::ExitedWithCode(0), "");
  // A piece that is not the game's is synthesised.
  EXPECT_EXIT(
      {
        bool played = false;
        bool made = false;
        {
          test::SoundOnSdl sdl;
          {
            TMediaPlayer m1(*sdl.media);
            PlayFile(m1, std::string(TARVOLEN_CORPUS_DIR) + "/abc_tune.mid");
            played = m1.IsOpen();
          }
          made = sdl.sound.synth.Made() && ::dlopen("libfluidsynth.so.3", RTLD_NOW | RTLD_NOLOAD);
        }
        std::exit(made && played ? 0 : 1);
      },
      ::testing::ExitedWithCode(0), "");
  const std::string libs = ::testing::TempDir() + "tarvolen_no_fluidsynth";
  const std::string piece = std::string(TARVOLEN_CORPUS_DIR) + "/abc_tune.mid";
  fs::create_directories(libs);  // files that are no library, found first by a fresh process's loader
  for (const char* name : {"/libfluidsynth.so.3", "/libfluidsynth.so"}) std::ofstream(libs + name) << "none";
  setenv("LD_LIBRARY_PATH", libs.c_str(), 1);
  EXPECT_EXIT(
      {
        test::SoundOnSdl sdl;
        MciOpenParms open;
        open.elementName = piece;
        const uint32_t error = sdl.media->SendCommand(0, MCI_OPEN, MCI_OPEN_ELEMENT, &open);
        std::fputs(sdl.media->ErrorText(error).c_str(), stderr);
        std::exit(ReportedUnusable(piece) ? 1 : 0);
      },
      ::testing::ExitedWithCode(0), "cannot load FluidSynth.*The synthesiser for MIDI music");
  unsetenv("LD_LIBRARY_PATH");
}

// Any distribution's General MIDI font is found: the player's own choice
// first, then the places in order, Debian's where there is none.
TEST(RecordedMusic, TheSoundFontIsTheChosenOneOrTheFirstInstalled) {
  std::set<std::string> there;
  auto exists = [&](const std::string& p) { return there.count(p) > 0; };
  EXPECT_EQ(FindSoundFont(nullptr, exists), "/usr/share/sounds/sf2/default-GM.sf2");
  there = {"/usr/share/sounds/sf2/TimGM6mb.sf2", "/usr/share/soundfonts/FluidR3_GM.sf2"};
  EXPECT_EQ(FindSoundFont("/home/p/missing.sf2", exists), "/usr/share/soundfonts/FluidR3_GM.sf2");
  there.insert("/usr/share/soundfonts/default.sf2");
  EXPECT_EQ(FindSoundFont(nullptr, exists), "/usr/share/soundfonts/default.sf2");
  there.insert("/home/p/mine.sf2");
  EXPECT_EQ(FindSoundFont("/home/p/mine.sf2", exists), "/home/p/mine.sf2");
}

}  // namespace
}  // namespace tv
