// What the audio device puts out, read back from SDL's disk driver: every
// piece and the effect are heard, a piece ends and stays ended, the beep
// sounds on its own, the device is let go when all is quiet and a tune that
// wakes it loses nothing of its start. The driver renders as fast as it can
// (one millisecond between blocks) and truncates its file at each opening of
// the device, so these tests wait for output, never for the clock.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "platform/sound/media_player.h"
#include "tests/support/sound_on_sdl.h"

namespace tv {
namespace {

constexpr int kRate = AudioDevice::kRate;
constexpr size_t kFrameBytes = 2 * sizeof(float);  // the device's stereo float frames

std::string Data(const std::string& name) { return std::string(TARVOLEN_DATA_DIR) + "/" + name; }

std::string OutputFile() {
  static const std::string path =
      (std::filesystem::temp_directory_path() / ("tarvolen_sound_" + std::to_string(::getpid()) + ".raw")).string();
  return path;
}

struct Level {
  double rms = 0;
  float peak = 0;
};

class SoundOutputTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", OutputFile().c_str(), 1);
    setenv("SDL_DISKAUDIODELAY", "1", 1);
  }
  static void TearDownTestSuite() { std::filesystem::remove(OutputFile()); }

  void SetUp() override {
    ASSERT_TRUE(sdl.sound.device.Ready()) << "SDL's disk audio driver would not open";
  }

  size_t Written() {
    std::error_code ec;
    const auto size = std::filesystem::file_size(OutputFile(), ec);
    return ec ? 0 : size_t(size) / kFrameBytes;
  }

  // Waits, within a generous bound, until `frames` more frames have been written.
  bool WaitForFrames(size_t frames) { return WaitUntil([&, from = Written()] { return Written() >= from + frames; }); }

  // Waits until the device has been let go after everything went quiet.
  bool Settle() { return WaitUntil([this] { return !sdl.sound.device.Mixer().Running(); }); }

  // The first frame of the first device buffer in the file that is not
  // silence, once there is one. SDL plays whole buffers of silence while a
  // device it has just opened is still paused (the mix is pulled only once
  // it is started), and on a loaded machine one or more come before the
  // first sound. Only such whole buffers are passed over: a sound that starts
  // late within its buffer, or without its start, is still seen as it is.
  std::optional<size_t> FirstSoundingBuffer() {
    constexpr size_t kBuffer = SdlAudioOutput::kBufferFrames;
    const std::vector<float> written = Read(0, Written() / kBuffer * kBuffer);
    for (size_t i = 0; i < written.size(); ++i)
      if (written[i] != 0.0f) return i / 2 / kBuffer * kBuffer;
    return std::nullopt;
  }

  std::vector<float> Read(size_t fromFrame, size_t toFrame) {
    std::ifstream in(OutputFile(), std::ios::binary);
    in.seekg(std::streamoff(fromFrame * kFrameBytes));
    std::vector<float> samples((toFrame - fromFrame) * 2);
    in.read(reinterpret_cast<char*>(samples.data()), std::streamsize(samples.size() * sizeof(float)));
    samples.resize(size_t(in.gcount()) / sizeof(float));
    return samples;
  }

  bool WaitUntil(const std::function<bool()>& done) {
    const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(120);
    while (!done()) {
      if (std::chrono::steady_clock::now() > limit) return false;
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
  }

  Level Measure(size_t fromFrame, size_t toFrame) {
    const std::vector<float> samples = Read(fromFrame, toFrame);
    Level level;
    double sum = 0;
    for (float s : samples) {
      sum += double(s) * s;
      level.peak = std::max(level.peak, std::abs(s));
    }
    level.rms = samples.empty() ? 0 : std::sqrt(sum / double(samples.size()));
    return level;
  }

  uint32_t Status(uint32_t item) {
    MciStatusParms p;
    p.item = item;
    mci->SendCommand(m1->DeviceID(), MCI_STATUS, MCI_WAIT | MCI_STATUS_ITEM, &p);
    return p.returnValue;
  }

  std::mutex noticeLock;
  std::vector<Event> noticesSeen;
  test::SoundOnSdl sdl{[this](const Event& ev) {
    std::lock_guard<std::mutex> lock(noticeLock);
    noticesSeen.push_back(ev);
  }};
  std::unique_ptr<MediaControl>& mci = sdl.media;
  std::unique_ptr<TMediaPlayer> m1 = std::make_unique<TMediaPlayer>(*mci);

  bool Ended(uint16_t id) {
    std::lock_guard<std::mutex> lock(noticeLock);
    for (const auto& e : noticesSeen)
      if (e.id == id && e.param == MCI_NOTIFY_SUCCESSFUL) return true;
    return false;
  }
};

TEST_F(SoundOutputTest, NothingPlayingIsSilenceAndTheDeviceIsLetGo) {
  ASSERT_TRUE(Settle());
  EXPECT_EQ(Measure(0, Written()).peak, 0.0f);
}

TEST_F(SoundOutputTest, EveryPieceOfMusicIsHeard) {
  for (int n = 0; n <= 8; ++n) {
    SCOPED_TRACE(n);
    PlayFile(*m1, Data(std::to_string(n) + ".mid"));
    const size_t from = Written();
    // Four seconds into the piece.
    ASSERT_TRUE(WaitUntil([&] { return Status(MCI_STATUS_POSITION) >= 4000; }));
    const Level level = Measure(from, Written());
    EXPECT_GT(level.rms, 0.01);
    EXPECT_GT(level.peak, 0.05f);
    EXPECT_LE(level.peak, 1.0f);
  }
}

TEST_F(SoundOutputTest, TheHitEffectIsHeardForItsLength) {
  ASSERT_TRUE(Settle());
  // The effect wakes the device, whose file starts afresh with it; once the
  // device is let go the file holds the effect and the quiet spell after it.
  // (Waiting for frames after the end instead races the device's letting go.)
  PlayFile(*m1, Data("hit.wav"));
  const size_t from = 0;
  const uint16_t id = m1->DeviceID();
  ASSERT_TRUE(WaitUntil([&] { return Ended(id); }));
  ASSERT_TRUE(Settle());
  const size_t to = Written();

  const Level level = Measure(from, to);
  EXPECT_GT(level.peak, 0.5f);
  // Sound for about the effect's length, then silence.
  std::ifstream in(OutputFile(), std::ios::binary);
  in.seekg(std::streamoff(from * kFrameBytes));
  std::vector<float> samples((to - from) * 2);
  in.read(reinterpret_cast<char*>(samples.data()), std::streamsize(samples.size() * sizeof(float)));
  size_t first = samples.size(), last = 0;
  for (size_t i = 0; i < samples.size(); ++i)
    if (std::abs(samples[i]) > 1e-4f) first = std::min(first, i), last = i;
  ASSERT_LT(first, last);
  const double seconds = double(last - first) / 2 / kRate;
  EXPECT_GT(seconds, 0.3);
  EXPECT_LT(seconds, 0.8);
}

TEST_F(SoundOutputTest, APiecePlaysOnceToItsEndAndThenAllIsQuiet) {
  PlayFile(*m1, Data("0.mid"));
  const uint16_t id = m1->DeviceID();
  const uint32_t length = Status(MCI_STATUS_LENGTH);
  ASSERT_TRUE(WaitUntil([&] { return Ended(id); }));
  EXPECT_EQ(Status(MCI_STATUS_POSITION), length);
  EXPECT_EQ(Status(MCI_STATUS_MODE), MCI_MODE_STOP);
  // The last notes ring out; then nothing, for the piece does not start
  // again, and the device is let go.
  ASSERT_TRUE(Settle());
  const size_t end = Written();
  ASSERT_GT(end, size_t(kRate));
  EXPECT_LT(Measure(end - kRate, end).peak, 1e-3f);
  EXPECT_EQ(Status(MCI_STATUS_MODE), MCI_MODE_STOP);
}

TEST_F(SoundOutputTest, ANewPieceSilencesTheOldOne) {
  PlayFile(*m1, Data("8.mid"));
  ASSERT_TRUE(WaitUntil([&] { return Status(MCI_STATUS_POSITION) >= 2000; }));
  // The hit effect cuts in; once it has ended, nothing of the music is left.
  PlayFile(*m1, Data("hit.wav"));
  const uint16_t id = m1->DeviceID();
  ASSERT_TRUE(WaitUntil([&] { return Ended(id); }));
  // Music still sounding would keep the device; its last second is quiet.
  ASSERT_TRUE(Settle());
  const size_t end = Written();
  ASSERT_GT(end, size_t(kRate));
  EXPECT_EQ(Measure(end - kRate, end).peak, 0.0f);
}

TEST_F(SoundOutputTest, TheBeepSoundsBesideTheMusicAndAlone) {
  ASSERT_TRUE(Settle());
  // The beep wakes the device, whose file starts afresh with it.
  sdl.sound.device.Beep();
  ASSERT_TRUE(Settle());
  const Level alone = Measure(0, Written());
  EXPECT_GT(alone.peak, 0.1f);
  EXPECT_LT(alone.peak, 0.5f);

  PlayFile(*m1, Data("1.mid"));
  sdl.sound.device.Beep();
  ASSERT_TRUE(WaitForFrames(kRate / 2));
  EXPECT_EQ(Status(MCI_STATUS_MODE), MCI_MODE_PLAY);
}

// The device was let go after a quiet spell (it may have been a minute: no
// time passes for a closed device); the tune that wakes it starts with its
// first frame, the same as when it was first heard, and without a click.
TEST_F(SoundOutputTest, ATuneThatWakesTheDeviceLosesNothingOfItsStart) {
  constexpr size_t kFirst = kRate / 20;  // 50 ms
  // FluidSynth starts a piece on one of its 64-frame blocks, so two hearings
  // may lie up to a block apart; more than that would be a start lost or late.
  constexpr int kBlock = 64;
  std::vector<std::vector<float>> starts;
  for (int round = 0; round < 3; ++round) {
    ASSERT_TRUE(Settle());
    PlayFile(*m1, Data("0.mid"));
    // The device opened afresh: its file starts with this tune, after any
    // silence SDL played before the device was started.
    size_t from = 0;
    ASSERT_TRUE(WaitUntil([&] {
      const std::optional<size_t> start = FirstSoundingBuffer();
      from = start.value_or(0);
      return start && Written() >= from + kFirst + kBlock;
    }));
    starts.push_back(Read(from, from + kFirst + kBlock));
    m1->Close();
  }
  ASSERT_EQ(starts[0].size(), 2 * (kFirst + kBlock));
  ASSERT_EQ(starts[1].size(), 2 * (kFirst + kBlock));
  // The second hearing against the first, at the best shift within a block.
  const std::vector<float>& a = starts[0];
  const std::vector<float>& b = starts[1];
  double signal = 0, best = 1e9;
  int bestShift = 0;
  for (size_t i = 2 * kBlock; i < 2 * kFirst; ++i) signal += double(a[i]) * a[i];
  for (int shift = -kBlock; shift <= kBlock; ++shift) {
    double diff = 0;
    for (size_t i = 2 * kBlock; i < 2 * kFirst; ++i) {
      const double d = double(b[i]) - double(a[size_t(int64_t(i) + 2 * shift)]);
      diff += d * d;
    }
    if (diff < best) {
      best = diff;
      bestShift = shift;
    }
  }
  EXPECT_GT(std::sqrt(signal / double(2 * kFirst)), 1e-3) << "the tune's first 50 ms are not there";
  double other = 0;
  for (size_t i = 2 * kBlock; i < 2 * kFirst; ++i) other += double(b[i]) * b[i];
  EXPECT_LT(std::sqrt(best / signal), 0.05) << "the start differs from the first hearing (best shift "
                                             << bestShift << " frames, energies " << signal << " and " << other
                                             << ")";
  EXPECT_LT(std::abs(b[0]) + std::abs(b[1]), 1e-3f) << "a click at the start";
}

}  // namespace
}  // namespace tv
