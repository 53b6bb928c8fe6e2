#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cerrno>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <tuple>
#include <vector>

#include "platform/files/file_read.h"
#include "platform/sound/media_files.h"

namespace tv {
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

Bytes Le32(uint32_t v) { return {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)}; }

// RIFF chunks have little-endian sizes.
Bytes Riff(const char* tag, const Bytes& body) {
  Bytes b(tag, tag + 4);
  b = Cat({b, Le32(uint32_t(body.size())), body});
  if (body.size() % 2) b.push_back(0);
  return b;
}

Bytes Normalised(Bytes file) {
  uint32_t ms = 0;
  EXPECT_EQ(ParseMidi(file, ms), FileCheck::Ok);
  return file;
}

TEST(MidiFileCheck, RiffMidiIsUnwrapped) {
  const Bytes smf = Smf(0, 480, {Cat({kOneSecondNote, kEot})});
  const Bytes file = Riff("RIFF", Cat({{'R', 'M', 'I', 'D'}, Riff("LIST", {'I', 'N', 'F', 'O', 1}), Riff("data", smf)}));
  EXPECT_EQ(LengthOf(file), 1000u);
  EXPECT_EQ(Normalised(file), Normalised(smf));
}

// Whatever shape a tune comes in, the synthesiser gets one track in format 0
// with metrical time, which reads back to itself, lasting as long.
TEST(MidiFileCheck, AwkwardShapesBecomeOneCleanTrack) {
  const Bytes notes = Cat({kOneSecondNote, kEot});
  Bytes longHeader = Smf(0, 480, {notes});
  longHeader[7] = 10;  // four bytes more in the header
  longHeader.insert(longHeader.begin() + 14, {9, 9, 9, 9});
  Bytes foreign = Smf(1, 480, {notes, notes});
  const Bytes alien = Chunk("XFIH", {1, 2, 3});
  foreign.insert(foreign.begin() + 14 + 8 + std::ptrdiff_t(notes.size()), alien.begin(), alien.end());
  const Bytes packets = Cat({{0x00, 0xF0, 0x03, 0x7E, 0x7F, 0x09}, {0x00, 0xF7, 0x02, 0x01, 0xF7}, notes});
  std::vector<Bytes> many(200, notes);
  const uint16_t smpte25 = uint16_t((uint8_t(-25) << 8) | 40);  // 1000 ticks a second
  const uint16_t smpte29 = uint16_t((uint8_t(-29) << 8) | 100);
  const std::vector<std::tuple<const char*, Bytes, uint32_t>> cases = {
      {"long header", longHeader, 1000},
      {"foreign chunk between tracks", foreign, 1000},
      {"sysex in F7 packets", Smf(0, 480, {packets}), 1000},
      {"200 tracks", Smf(1, 480, many), 1000},
      {"25 fps time code", Smf(0, smpte25, {Cat({{0x00, 0x90, 60, 100, 0x87, 0x68, 0x80, 60, 0}, kEot})}), 1000},
      {"29.97 fps time code", Smf(0, smpte29, {Cat({{0x00, 0x90, 60, 100, 0x97, 0x35, 0x80, 60, 0}, kEot})}), 1000},
      {"format 2 patterns in turn", Smf(2, 480, {notes, notes}), 2000},
  };
  for (const auto& [why, file, ms] : cases) {
    Bytes clean = file;
    uint32_t length = 0;
    ASSERT_EQ(ParseMidi(clean, length), FileCheck::Ok) << why;
    EXPECT_NEAR(double(length), double(ms), 2.0) << why;
    ASSERT_GE(clean.size(), 22u) << why;
    EXPECT_EQ(Bytes(clean.begin(), clean.begin() + 12), (Bytes{'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 0, 0, 1})) << why;
    EXPECT_EQ(clean[12] & 0x80, 0) << why << ": time code left in";
    EXPECT_EQ(Normalised(clean), clean) << why;
    uint32_t again = 0;
    Bytes copy = clean;
    ParseMidi(copy, again);
    EXPECT_EQ(again, length) << why;
  }
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
  // 48 bytes that declare almost 4 GB of data: refused or cut to what is
  // there, never allocated.
  Bytes liar = Wave8BitMono(8000, {1, 2, 3, 4});
  for (int k = 0; k < 4; ++k) liar[40 + size_t(k)] = 0xF0;
  const FileCheck lied = DecodeWave(liar, 44100, pcm);
  EXPECT_TRUE(lied == FileCheck::NotWave || pcm.size() <= 2 * 4 * 6) << pcm.size();
}

TEST(WaveFileCheck, NoFramesAndOneFrameDecode) {
  std::vector<float> pcm{1.0f};
  EXPECT_EQ(DecodeWave(Wave8BitMono(48000, {}), 44100, pcm), FileCheck::Ok);
  EXPECT_TRUE(pcm.empty());
  EXPECT_EQ(DecodeWave(Wave8BitMono(48000, {0xFF}), 44100, pcm), FileCheck::Ok);
  ASSERT_EQ(pcm.size(), 2u);
  EXPECT_GT(pcm[0], 0.9f);
  EXPECT_EQ(pcm[0], pcm[1]);
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
  EXPECT_EQ(ReadMediaFile(Path("folder.wav"), b), FileCheck::NotRegular);
}

// Each of these returns at once: none may block the game.
TEST_F(MediaFileRead, OnlyRegularFilesAreReadAndThoseUpToTheCap) {
  Bytes b;
  ASSERT_EQ(::mkfifo(Path("pipe.mid").c_str(), 0600), 0);
  EXPECT_EQ(ReadRegularFile(Path("pipe.mid"), 100, b), EINVAL);
  EXPECT_EQ(ReadMediaFile(Path("pipe.mid"), b), FileCheck::NotRegular);
  EXPECT_EQ(ReadMediaFile("/dev/zero", b), FileCheck::NotRegular);
  EXPECT_EQ(ReadRegularFile("/dev/zero", 100, b), EINVAL);
  std::filesystem::create_directory(Path("folder.mid"));
  EXPECT_EQ(ReadRegularFile(Path("folder.mid"), 100, b), EISDIR);

  std::ofstream(Path("big.wav")).close();
  std::filesystem::resize_file(Path("big.wav"), kMaxMediaFileBytes + 1);
  EXPECT_EQ(ReadMediaFile(Path("big.wav"), b), FileCheck::TooLarge);
  std::filesystem::resize_file(Path("big.wav"), kMaxMediaFileBytes);
  EXPECT_EQ(ReadMediaFile(Path("big.wav"), b), FileCheck::Ok);
  EXPECT_EQ(b.size(), kMaxMediaFileBytes);
  EXPECT_EQ(ReadRegularFile(Path("big.wav"), 100, b), EFBIG);
  EXPECT_TRUE(b.empty());
}

}  // namespace
}  // namespace tv
