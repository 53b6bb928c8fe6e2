// What the program sounds like, recorded by SDL's disk audio driver: the mixed
// output goes to a file, and a delay of 1 ms between blocks renders it faster
// than real time, so these tests wait for amounts of output, not for the clock.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <utility>
#include <vector>

#include "tests/e2e/game_on_x.h"
#include "tests/e2e/x11_driver.h"

namespace tv::e2e {
namespace {

namespace fs = std::filesystem;

// The audio device's format: 44100 stereo frames a second, 32-bit floats.
constexpr size_t kRate = 44100, kFrameBytes = 2 * sizeof(float);

// All four rows in the menu's colours, one of them lit.
bool MenuShown(const Screenshot& s) {
  int lit = 0;
  for (int y : kRowY) {
    uint32_t p = s.At(kRowX, y);
    if (p != kRed && p != kRow) return false;
    lit += p == kRed;
  }
  return lit == 1;
}

struct Recording {
  size_t samples = 0, nonZero = 0, outOfRange = 0;  // out of range: not a float in -1..1
  size_t firstSound = 0;                            // frame of the first non-zero sample
  double rms = 0;                                   // over four seconds from the first sound
};

// The recording from frame `from` on.
Recording Analyse(const std::string& path, size_t from = 0) {
  Recording r;
  std::ifstream in(path, std::ios::binary);
  in.seekg(std::streamoff(from * kFrameBytes));
  std::vector<float> block(1 << 16);
  double sum = 0;
  size_t summed = 0, soundFrom = SIZE_MAX;
  while (in.read(reinterpret_cast<char*>(block.data()), std::streamsize(block.size() * sizeof(float))) ||
         in.gcount() > 0) {
    const size_t n = size_t(in.gcount()) / sizeof(float);
    for (size_t i = 0; i < n; ++i, ++r.samples) {
      const float v = block[i];
      if (!std::isfinite(v) || std::abs(v) > 1.0f) ++r.outOfRange;
      if (v != 0.0f && r.nonZero++ == 0) soundFrom = r.samples;
      if (r.samples >= soundFrom && r.samples < soundFrom + 4 * kRate * 2) sum += double(v) * v, ++summed;
    }
  }
  r.firstSound = soundFrom == SIZE_MAX ? 0 : soundFrom / 2;
  r.rms = summed ? std::sqrt(sum / double(summed)) : 0;
  return r;
}

class SoundOnX : public ::testing::Test {
 protected:
  std::string AudioFile() const { return desk_.TempDir() + "/audio.raw"; }

  // Starts `program` recording its sound and waits for the menu. `delayMs`
  // between blocks of 1024 frames: 23 plays in real time.
  void Start(const std::string& program, const char* delayMs = "1") {
    desk_.Launch(
        program,
        {{"SDL_AUDIODRIVER", "disk"}, {"SDL_DISKAUDIOFILE", AudioFile()}, {"SDL_DISKAUDIODELAY", delayMs}});
    auto w = desk_.WaitWindow("Tarvolen", 30s);
    ASSERT_TRUE(w) << "no window titled Tarvolen; stderr:\n" << desk_.Stderr();
    main_ = *w;
    ASSERT_TRUE(desk_.WaitPicture(main_.id, MenuShown, 20s)) << "the menu never showed";
  }

  size_t Recorded() const {
    std::error_code ec;
    auto size = fs::file_size(AudioFile(), ec);
    return ec ? 0 : size_t(size) / kFrameBytes;
  }

  // Waits for `frames` recorded frames, then closes the program so the file stops growing.
  void RecordAndClose(size_t frames) {
    EXPECT_TRUE(WaitUntil([&] { return Recorded() >= frames; }, 60s))
        << "only " << Recorded() << " frames recorded; stderr:\n"
        << desk_.Stderr();
    desk_.Close(main_.id);
    auto status = desk_.WaitExit(10s);
    ASSERT_TRUE(status) << "still running 10 s after the close request";
    EXPECT_TRUE(status->Clean()) << Describe(*status);
  }

  void TearDown() override {
    if (HasFailure()) std::cerr << "stderr:\n" << desk_.Stderr();
  }

  Desktop desk_;
  WindowInfo main_;
};

TEST_F(SoundOnX, MenuMusicSoundsFromStartUp) {
  ASSERT_NO_FATAL_FAILURE(Start(TARVOLEN_PROGRAM));
  const size_t early = Recorded();
  ASSERT_TRUE(WaitUntil([&] { return Recorded() > early + kRate; }, 30s)) << "the device does not play";
  ASSERT_NO_FATAL_FAILURE(RecordAndClose(8 * kRate));

  Recording r = Analyse(AudioFile());
  ASSERT_GT(r.samples, 0u);
  EXPECT_EQ(r.outOfRange, 0u) << "not the device's float samples, or clipping";
  ASSERT_GT(r.nonZero, 0u) << "silence";
  EXPECT_GT(r.rms, 0.01) << "too quiet to be the menu music";
}

// M lets the device go and brings the music back; the menu sees no key. In
// real time: faster, the menu music would be over before the key.
TEST_F(SoundOnX, MSwitchesTheSoundOffAndOn) {
  ASSERT_NO_FATAL_FAILURE(Start(TARVOLEN_PROGRAM, "23"));
  ASSERT_TRUE(WaitUntil([&] { return Recorded() > kRate; }, 30s)) << "the device does not play";
  auto rows = [&] {
    const Screenshot s = desk_.Grab(main_.id);
    std::vector<uint32_t> pixels;
    for (int y : kRowY) pixels.push_back(s.At(kRowX, y));
    return pixels;
  };
  const auto before = rows();
  desk_.Key(main_.id, "m");
  // The disk driver writes a block every 23 ms while the device is open.
  size_t last = SIZE_MAX;
  auto still = [&] {
    const size_t now = Recorded();
    return std::exchange(last, now) == now;
  };
  ASSERT_TRUE(WaitUntil(still, 10s, 300ms))
      << "the recording still grows";
  const size_t silentFrom = last;
  EXPECT_EQ(rows(), before) << "the menu saw the key";

  desk_.Key(main_.id, "m");
  ASSERT_NO_FATAL_FAILURE(RecordAndClose(silentFrom + 2 * kRate));
  EXPECT_GT(Analyse(AudioFile(), silentFrom).nonZero, 0u) << "no music after the second M";
}

// The program and its files, but no menu music beside them. A copy, not a link:
// the program finds its files beside its own resolved path.
TEST_F(SoundOnX, WithoutMenuMusicTheMenuIsSilentAndSaysNothing) {
  const fs::path dir = fs::path(desk_.TempDir()) / "program";
  const fs::path original = fs::path(TARVOLEN_PROGRAM).parent_path();
  fs::create_directory(dir);
  for (const auto& entry : fs::directory_iterator(original))
    if (entry.is_regular_file() && entry.path().filename() != "0.mid")
      fs::copy_file(entry.path(), dir / entry.path().filename());
  ASSERT_TRUE(fs::exists(dir / "1.mid"));
  ASSERT_FALSE(fs::exists(dir / "0.mid"));

  ASSERT_NO_FATAL_FAILURE(Start((dir / fs::path(TARVOLEN_PROGRAM).filename()).string()));
  EXPECT_FALSE(WaitUntil([&] { return desk_.CountWindows("Tarvolen") > 1; }, 3s)) << "a message box came up";
  // A device opened for the failed attempt plays silence, fast, until it is
  // let go after two seconds of it; one never opened records nothing at all.
  ASSERT_NO_FATAL_FAILURE(RecordAndClose(Recorded() > 0 ? 2 * kRate : 0));

  Recording r = Analyse(AudioFile());
  EXPECT_EQ(r.nonZero, 0u) << "sound from frame " << r.firstSound;
}

}  // namespace
}  // namespace tv::e2e
