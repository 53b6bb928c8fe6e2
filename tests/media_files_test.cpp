#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/sdl/sdl_media_files.h"

namespace tv::sdl {
namespace {

using Bytes = std::vector<uint8_t>;

void Put32(Bytes& b, uint32_t v) {
  for (int s = 24; s >= 0; s -= 8) b.push_back(uint8_t(v >> s));
}
void Put16(Bytes& b, uint32_t v) {
  b.push_back(uint8_t(v >> 8));
  b.push_back(uint8_t(v));
}

Bytes Chunk(const char* tag, const Bytes& body) {
  Bytes b(tag, tag + 4);
  Put32(b, uint32_t(body.size()));
  b.insert(b.end(), body.begin(), body.end());
  return b;
}

Bytes Smf(uint16_t format, uint16_t division, const std::vector<Bytes>& tracks) {
  Bytes header;
  Put16(header, format);
  Put16(header, uint16_t(tracks.size()));
  Put16(header, division);
  Bytes file = Chunk("MThd", header);
  for (const auto& t : tracks) {
    Bytes c = Chunk("MTrk", t);
    file.insert(file.end(), c.begin(), c.end());
  }
  return file;
}

const Bytes kEot = {0x00, 0xFF, 0x2F, 0x00};

Bytes Cat(std::initializer_list<Bytes> parts) {
  Bytes b;
  for (const auto& p : parts) b.insert(b.end(), p.begin(), p.end());
  return b;
}

// A note held for 960 ticks at 480 per quarter: one second at the default tempo.
const Bytes kOneSecondNote = {0x00, 0x90, 60, 100, 0x87, 0x40, 0x80, 60, 0};

uint32_t LengthOf(Bytes file) {
  uint32_t ms = 0;
  EXPECT_EQ(ParseMidi(file, ms), FileCheck::Ok);
  return ms;
}

Bytes ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), {});
}

// --- MIDI: what is accepted and how long it lasts ---

TEST(MidiFileCheck, LengthFollowsTheDefaultTempo) {
  EXPECT_EQ(LengthOf(Smf(0, 480, {Cat({kOneSecondNote, kEot})})), 1000u);
}

TEST(MidiFileCheck, LengthFollowsTempoChangesInAnyTrack) {
  // Conductor: 120 bpm for the first quarter, then 60 bpm (1 000 000 us a quarter).
  const Bytes conductor = Cat({{0x00, 0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20},
                               {0x83, 0x60, 0xFF, 0x51, 0x03, 0x0F, 0x42, 0x40}, kEot});
  // 960 ticks: a quarter at 0.5 s and a quarter at 1 s.
  EXPECT_EQ(LengthOf(Smf(1, 480, {conductor, Cat({kOneSecondNote, kEot})})), 1500u);
}

TEST(MidiFileCheck, RunningStatusAndSysExAndForeignChunksAreAccepted) {
  const Bytes track = Cat({{0x00, 0x90, 60, 100, 0x00, 64, 100},  // second note-on by running status
                           {0x00, 0xF0, 0x03, 0x7E, 0x7F, 0xF7},   // a system exclusive message
                           {0x83, 0x60, 0x80, 60, 0, 0x00, 64, 0}, kEot});
  Bytes file = Smf(0, 480, {track});
  Bytes alien = Chunk("XFIH", {1, 2, 3});
  file.insert(file.begin() + 14, alien.begin(), alien.end());
  EXPECT_EQ(LengthOf(file), 500u);
}

TEST(MidiFileCheck, TimeCodeDivisionCountsFramesAndTicks) {
  // 25 frames a second, 40 ticks a frame: 1000 ticks a second.
  const uint16_t division = uint16_t((uint8_t(-25) << 8) | 40);
  EXPECT_EQ(LengthOf(Smf(0, division, {Cat({{0x00, 0x90, 60, 100, 0x87, 0x68, 0x80, 60, 0}, kEot})})), 1000u);
}

TEST(MidiFileCheck, RiffMidiIsUnwrapped) {
  const Bytes smf = Smf(0, 480, {Cat({kOneSecondNote, kEot})});
  Bytes body = {'R', 'M', 'I', 'D'};
  Bytes data = Chunk("data", smf);
  body.insert(body.end(), data.begin(), data.end());
  Bytes file = Chunk("RIFF", body);
  uint32_t ms = 0;
  EXPECT_EQ(ParseMidi(file, ms), FileCheck::Ok);
  EXPECT_EQ(ms, 1000u);
  EXPECT_EQ(file, smf);
}

TEST(MidiFileCheck, MalformedFilesAreRefused) {
  const Bytes good = Cat({kOneSecondNote, kEot});
  const std::vector<std::pair<const char*, Bytes>> bad = {
      {"not a MIDI file at all", Bytes{'h', 'e', 'l', 'l', 'o', ' ', 'w', 'o', 'r', 'l', 'd', '!', '!', '!'}},
      {"header too short", Chunk("MThd", {0, 0, 0, 1})},
      {"format 3", Smf(3, 480, {good})},
      {"no tracks", Smf(0, 480, {})},
      {"division 0", Smf(0, 0, {good})},
      {"time code of 23 frames", Smf(0, uint16_t((uint8_t(-23) << 8) | 40), {good})},
      {"running status with none set", Smf(0, 480, {Cat({{0x00, 60, 100}, kEot})})},
      {"data byte with its top bit set", Smf(0, 480, {Cat({{0x00, 0x90, 0xBC, 100}, kEot})})},
      {"delta of five bytes", Smf(0, 480, {Cat({{0x81, 0x81, 0x81, 0x81, 0x01, 0x90, 60, 100}, kEot})})},
      {"meta event longer than its track", Smf(0, 480, {{0x00, 0xFF, 0x01, 0x40, 'a'}})},
      {"tempo of two bytes", Smf(0, 480, {Cat({{0x00, 0xFF, 0x51, 0x02, 0x07, 0xA1}, kEot})})},
      {"tempo zero", Smf(0, 480, {Cat({{0x00, 0xFF, 0x51, 0x03, 0, 0, 0}, kEot})})},
      {"real-time byte in a track", Smf(0, 480, {Cat({{0x00, 0xF8}, kEot})})},
      {"event cut off at the end of its track", Smf(0, 480, {{0x00, 0x90, 60}})},
  };
  for (const auto& [why, file] : bad) {
    Bytes copy = file;
    uint32_t ms = 0;
    EXPECT_EQ(ParseMidi(copy, ms), FileCheck::NotMidi) << why;
  }
  Bytes fewerTracks = Smf(1, 480, {good, good});
  fewerTracks.resize(fewerTracks.size() - good.size() - 8);
  uint32_t ms = 0;
  EXPECT_EQ(ParseMidi(fewerTracks, ms), FileCheck::NotMidi) << "a declared track missing";
}

TEST(MidiFileCheck, EveryCutOfAGeneratedPieceIsRefused) {
  const Bytes piece = ReadAll(std::string(TARVOLEN_DATA_DIR) + "/1.mid");
  ASSERT_GT(piece.size(), 100u);
  for (size_t n = 0; n < piece.size(); n += 7) {
    Bytes cut(piece.begin(), piece.begin() + std::ptrdiff_t(n));
    uint32_t ms = 0;
    EXPECT_EQ(ParseMidi(cut, ms), FileCheck::NotMidi) << n << " bytes";
  }
}

TEST(MidiFileCheck, DamagedFilesNeverCrashTheCheck) {
  const Bytes piece = ReadAll(std::string(TARVOLEN_DATA_DIR) + "/2.mid");
  ASSERT_FALSE(piece.empty());
  uint64_t s = 0x2545F4914F6CDD1Dull;
  auto next = [&] {
    s ^= s << 13;
    s ^= s >> 7;
    s ^= s << 17;
    return s;
  };
  int accepted = 0;
  for (int round = 0; round < 3000; ++round) {
    Bytes damaged = piece;
    for (int k = int(next() % 6) + 1; k > 0; --k) damaged[next() % damaged.size()] = uint8_t(next());
    uint32_t ms = 0;
    accepted += ParseMidi(damaged, ms) == FileCheck::Ok;
  }
  // Some damage hits note values only and leaves a valid file; most does not.
  EXPECT_LT(accepted, 3000);
}

// --- Wave ---

Bytes Wave8BitMono(int rate, const Bytes& samples) {
  Bytes fmt;
  auto le16 = [&](Bytes& b, uint32_t v) { b.push_back(uint8_t(v)), b.push_back(uint8_t(v >> 8)); };
  auto le32 = [&](Bytes& b, uint32_t v) { le16(b, v & 0xFFFF), le16(b, v >> 16); };
  le16(fmt, 1);  // PCM
  le16(fmt, 1);  // mono
  le32(fmt, uint32_t(rate));
  le32(fmt, uint32_t(rate));
  le16(fmt, 1);
  le16(fmt, 8);
  Bytes body = {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '};
  le32(body, uint32_t(fmt.size()));
  body.insert(body.end(), fmt.begin(), fmt.end());
  body.insert(body.end(), {'d', 'a', 't', 'a'});
  le32(body, uint32_t(samples.size()));
  body.insert(body.end(), samples.begin(), samples.end());
  Bytes file = {'R', 'I', 'F', 'F'};
  le32(file, uint32_t(body.size()));
  file.insert(file.end(), body.begin(), body.end());
  return file;
}

TEST(WaveFileCheck, TheHitEffectDecodesToStereoAtTheDeviceRate) {
  std::vector<float> pcm;
  ASSERT_EQ(DecodeWave(ReadAll(std::string(TARVOLEN_DATA_DIR) + "/hit.wav"), 44100, pcm), FileCheck::Ok);
  const size_t frames = pcm.size() / 2;
  EXPECT_EQ(pcm.size() % 2, 0u);
  EXPECT_GE(frames, size_t(44100 * 0.4));
  EXPECT_LE(frames, size_t(44100 * 0.8));
  float peak = 0;
  for (float v : pcm) peak = std::max(peak, std::abs(v));
  EXPECT_GT(peak, 0.5f);
  EXPECT_LE(peak, 1.0f);
}

TEST(WaveFileCheck, OtherRatesAndWidthsAreConverted) {
  // A quarter second of a square wave, 8-bit mono at 11025 Hz.
  Bytes samples(11025 / 4);
  for (size_t i = 0; i < samples.size(); ++i) samples[i] = (i / 20) % 2 ? 0xE0 : 0x20;
  std::vector<float> pcm;
  ASSERT_EQ(DecodeWave(Wave8BitMono(11025, samples), 44100, pcm), FileCheck::Ok);
  const double frames = double(pcm.size() / 2);
  EXPECT_NEAR(frames, 44100 / 4.0, 44100 * 0.01);
  float peak = 0;
  for (float v : pcm) peak = std::max(peak, std::abs(v));
  EXPECT_GT(peak, 0.5f);
}

TEST(WaveFileCheck, MalformedFilesAreRefused) {
  std::vector<float> pcm;
  EXPECT_EQ(DecodeWave(Bytes{'R', 'I', 'F', 'F', 1, 2, 3}, 44100, pcm), FileCheck::NotWave);
  EXPECT_EQ(DecodeWave(Bytes(300, 0x41), 44100, pcm), FileCheck::NotWave);
  Bytes noData = Wave8BitMono(8000, {1, 2, 3, 4});
  noData.resize(36);  // the format chunk, and no data chunk
  EXPECT_EQ(DecodeWave(noData, 44100, pcm), FileCheck::NotWave);
  EXPECT_TRUE(pcm.empty());
}

// --- Reading ---

class MediaFileRead : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::filesystem::temp_directory_path() /
           ("tarvolen_read_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "_" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(dir_);
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }
  std::string Path(const char* name) const { return (dir_ / name).string(); }
  std::filesystem::path dir_;
};

TEST_F(MediaFileRead, MissingEmptyAndDirectoryAreTold) {
  Bytes b{1};
  EXPECT_EQ(ReadMediaFile(Path("none.mid"), b), FileCheck::NotFound);
  EXPECT_TRUE(b.empty());
  EXPECT_EQ(ReadMediaFile(Path("no_dir/none.mid"), b), FileCheck::NotFound);
  std::ofstream(Path("empty.wav")).close();
  EXPECT_EQ(ReadMediaFile(Path("empty.wav"), b), FileCheck::Empty);
  std::filesystem::create_directory(Path("folder.wav"));
  EXPECT_EQ(ReadMediaFile(Path("folder.wav"), b), FileCheck::Unreadable);
}

}  // namespace
}  // namespace tv::sdl
