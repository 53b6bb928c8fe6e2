// The real media control layer on SDL's dummy audio driver (set for the suite
// by tests/CMakeLists.txt and again here, before SDL's audio starts).
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

#include "platform/sound/media_player.h"
#include "platform/base/exceptions.h"
#include "tests/support/sound_on_sdl.h"

namespace tv {
namespace {

std::string Data(const std::string& name) { return std::string(TARVOLEN_DATA_DIR) + "/" + name; }

// Collects the notices the layer posts, from whatever thread.
class Notices {
 public:
  MediaPostSink Sink() {
    return [this](const Event& ev) {
      std::lock_guard<std::mutex> lock(m_);
      events_.push_back(ev);
      cv_.notify_all();
    };
  }
  // Waits, within a generous bound, for the `n`th notice of `id` with `code`.
  bool WaitFor(int id, uint32_t code, int n = 1) {
    std::unique_lock<std::mutex> lock(m_);
    return cv_.wait_for(lock, std::chrono::seconds(30), [&] { return Count(id, code) >= n; });
  }
  bool Seen(int id, uint32_t code) {
    std::lock_guard<std::mutex> lock(m_);
    return Count(id, code) > 0;
  }

 private:
  int Count(int id, uint32_t code) const {
    int n = 0;
    for (const auto& e : events_) n += e.type == Event::Type::MediaNotify && e.id == id && e.param == code;
    return n;
  }
  std::mutex m_;
  std::condition_variable cv_;
  std::vector<Event> events_;
};

class SdlMediaTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { setenv("SDL_AUDIODRIVER", "dummy", 0); }

  void SetUp() override {
    dir_ = std::filesystem::temp_directory_path() /
           ("tarvolen_media_" + std::to_string(::getpid()) + "_" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(dir_);
  }
  void TearDown() override {
    m1.reset();
    mci.reset();
    std::filesystem::remove_all(dir_);
  }

  std::string Write(const char* name, const std::string& content) {
    const std::string path = (dir_ / name).string();
    std::ofstream(path, std::ios::binary) << content;
    return path;
  }

  uint32_t Status(uint16_t id, uint32_t item) {
    MciStatusParms p;
    p.item = item;
    EXPECT_EQ(mci->SendCommand(id, MCI_STATUS, MCI_WAIT | MCI_STATUS_ITEM, &p), 0u);
    return p.returnValue;
  }

  // Opens a file straight on the layer; 0 when it fails.
  uint16_t OpenRaw(const std::string& path, uint32_t* error = nullptr) {
    MciOpenParms p;
    p.elementName = path;
    p.callback = 1;
    const uint32_t r = mci->SendCommand(0, MCI_OPEN, MCI_WAIT | MCI_OPEN_ELEMENT, &p);
    if (error) *error = r;
    return r == 0 ? p.deviceId : 0;
  }
  uint32_t PlayRaw(uint16_t id) {
    MciPlayParms p;
    p.callback = 1;
    return mci->SendCommand(id, MCI_PLAY, MCI_NOTIFY, &p);
  }

  std::string OpenError(const std::string& path) {
    try {
      m1->SetFileName(path);
      m1->Open();
    } catch (const EMCIDeviceError& e) {
      return e.what();
    }
    return "(opened)";
  }

  Notices notices;
  test::SoundOnSdl sdl{notices.Sink()};
  std::unique_ptr<MediaControl>& mci = sdl.media;
  std::unique_ptr<TMediaPlayer> m1 = std::make_unique<TMediaPlayer>(*mci);
  std::filesystem::path dir_;
};

// --- The files beside the program ---

TEST_F(SdlMediaTest, EveryPieceOfMusicOpensAndPlays) {
  for (int n = 0; n <= 8; ++n) {
    SCOPED_TRACE(n);
    ASSERT_NO_THROW(PlayFile(*m1, Data(std::to_string(n) + ".mid")));
    EXPECT_EQ(m1->Error(), 0u);
    const uint16_t id = m1->DeviceID();
    EXPECT_EQ(Status(id, MCI_STATUS_MODE), MCI_MODE_PLAY);
    const uint32_t length = Status(id, MCI_STATUS_LENGTH);
    EXPECT_GE(length, 20000u);
    EXPECT_LE(length, 60000u);
  }
}

TEST_F(SdlMediaTest, TheHitEffectOpensAndPlaysToItsEnd) {
  ASSERT_NO_THROW(PlayFile(*m1, Data("hit.wav")));
  const uint16_t id = m1->DeviceID();
  const uint32_t length = Status(id, MCI_STATUS_LENGTH);
  EXPECT_GE(length, 400u);
  EXPECT_LE(length, 800u);

  ASSERT_TRUE(notices.WaitFor(id, MCI_NOTIFY_SUCCESSFUL));
  EXPECT_EQ(Status(id, MCI_STATUS_MODE), MCI_MODE_STOP);
  EXPECT_EQ(Status(id, MCI_STATUS_POSITION), length);
  EXPECT_TRUE(m1->IsOpen());

  // Played again at its end, it starts over from the beginning.
  m1->Play();
  EXPECT_EQ(m1->Error(), 0u);
  EXPECT_EQ(Status(id, MCI_STATUS_MODE), MCI_MODE_PLAY);
  EXPECT_LT(Status(id, MCI_STATUS_POSITION), length);
  EXPECT_TRUE(notices.WaitFor(id, MCI_NOTIFY_SUCCESSFUL, 2));
}

// --- Files that cannot be played ---

TEST_F(SdlMediaTest, BadFilesFailToOpenWithATextAndLeaveThePlayerClosed) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {Data("no_such_piece.mid"), "The specified file was not found."},
      {Write("empty.mid", ""), "The file is empty."},
      {Write("empty.wav", ""), "The file is empty."},
      {Write("garbage.mid", std::string(500, 'x')), "The file is not a valid MIDI file."},
      {Write("garbage.wav", std::string(500, 'x')), "The file is not a valid wave file."},
      {Write("music.ogg", "OggS"), "No device plays files of this kind: use .mid, .midi, .rmi or .wav."},
  };
  for (const auto& [path, text] : cases) {
    SCOPED_TRACE(path);
    PlayFile(*m1, Data("0.mid"));
    const uint16_t before = m1->DeviceID();
    EXPECT_EQ(OpenError(path), text);
    EXPECT_FALSE(m1->IsOpen());
    EXPECT_EQ(m1->DeviceID(), 0);
    // The music that played before is closed, not merely silenced.
    MciStatusParms p;
    p.item = MCI_STATUS_MODE;
    EXPECT_EQ(mci->SendCommand(before, MCI_STATUS, MCI_WAIT | MCI_STATUS_ITEM, &p), MCIERR_INVALID_DEVICE_ID);
  }
}

TEST_F(SdlMediaTest, AFileOfTheWrongKindForItsNameFails) {
  const std::string fake = (dir_ / "really_a_wave.mid").string();
  std::filesystem::copy_file(Data("hit.wav"), fake);
  EXPECT_EQ(OpenError(fake), "The file is not a valid MIDI file.");
  const std::string fake2 = (dir_ / "really_music.wav").string();
  std::filesystem::copy_file(Data("1.mid"), fake2);
  EXPECT_EQ(OpenError(fake2), "The file is not a valid wave file.");
}

// --- One sound at a time ---

TEST_F(SdlMediaTest, OpeningAnotherFileStopsTheSoundingOne) {
  const uint16_t music = OpenRaw(Data("3.mid"));
  ASSERT_NE(music, 0);
  ASSERT_EQ(PlayRaw(music), 0u);
  const uint16_t effect = OpenRaw(Data("hit.wav"));
  ASSERT_NE(effect, 0);
  EXPECT_NE(effect, music);
  // The old device is still open but silent, and its play was cut off.
  EXPECT_EQ(Status(music, MCI_STATUS_MODE), MCI_MODE_STOP);
  EXPECT_TRUE(notices.Seen(music, MCI_NOTIFY_ABORTED));
  EXPECT_FALSE(notices.Seen(music, MCI_NOTIFY_SUCCESSFUL));
}

TEST_F(SdlMediaTest, ClosingCutsThePieceOffAndTellsSo) {
  PlayFile(*m1, Data("5.mid"));
  const uint16_t id = m1->DeviceID();
  m1->Close();
  EXPECT_EQ(m1->Error(), 0u);
  EXPECT_FALSE(m1->IsOpen());
  EXPECT_TRUE(notices.Seen(id, MCI_NOTIFY_ABORTED));
}

TEST_F(SdlMediaTest, TheSameFileOpenedTwiceStartsAgainOnANewDevice) {
  PlayFile(*m1, Data("0.mid"));
  const uint16_t first = m1->DeviceID();
  PlayFile(*m1, Data("0.mid"));
  const uint16_t second = m1->DeviceID();
  EXPECT_NE(first, second);
  EXPECT_TRUE(notices.Seen(first, MCI_NOTIFY_ABORTED));
  EXPECT_EQ(Status(second, MCI_STATUS_MODE), MCI_MODE_PLAY);
  EXPECT_LT(Status(second, MCI_STATUS_POSITION), Status(second, MCI_STATUS_LENGTH));
}

TEST_F(SdlMediaTest, TheBeepLeavesTheMusicPlaying) {
  PlayFile(*m1, Data("2.mid"));
  sdl.sound.device.Beep();
  sdl.sound.device.Beep();
  EXPECT_EQ(Status(m1->DeviceID(), MCI_STATUS_MODE), MCI_MODE_PLAY);
  EXPECT_FALSE(notices.Seen(m1->DeviceID(), MCI_NOTIFY_ABORTED));
}

TEST_F(SdlMediaTest, DestroyingThePlayerClosesItsDevice) {
  PlayFile(*m1, Data("4.mid"));
  const uint16_t id = m1->DeviceID();
  m1.reset();
  MciStatusParms p;
  p.item = MCI_STATUS_MODE;
  EXPECT_EQ(mci->SendCommand(id, MCI_STATUS, MCI_WAIT | MCI_STATUS_ITEM, &p), MCIERR_INVALID_DEVICE_ID);
}

// --- The command interface ---

TEST_F(SdlMediaTest, CommandsOutsideTheGamesNeedsAreRefusedWithAText) {
  const uint16_t id = OpenRaw(Data("hit.wav"));
  ASSERT_NE(id, 0);
  MciPlayParms play;
  const uint32_t waitPlay = mci->SendCommand(id, MCI_PLAY, MCI_WAIT, &play);
  EXPECT_NE(waitPlay, 0u);
  EXPECT_FALSE(mci->ErrorText(waitPlay).empty());
  MciGenericParms generic;
  EXPECT_EQ(mci->SendCommand(id, 0x0808 /* stop */, MCI_WAIT, &generic), MCIERR_BASE + 5);
  EXPECT_EQ(mci->SendCommand(uint16_t(id + 100), MCI_CLOSE, MCI_WAIT, &generic), MCIERR_INVALID_DEVICE_ID);
  EXPECT_NE(mci->SendCommand(id, MCI_CLOSE, MCI_WAIT, nullptr), 0u);
  MciStatusParms status;
  EXPECT_NE(mci->SendCommand(id, MCI_STATUS, MCI_WAIT, &status), 0u);

  MciOpenParms byType;
  byType.deviceType = "cdaudio";
  byType.elementName = Data("hit.wav");
  const uint32_t badType = mci->SendCommand(0, MCI_OPEN, MCI_WAIT | MCI_OPEN_TYPE | MCI_OPEN_ELEMENT, &byType);
  EXPECT_NE(badType, 0u);
  EXPECT_FALSE(mci->ErrorText(badType).empty());
  byType.deviceType = "WaveAudio";
  EXPECT_EQ(mci->SendCommand(0, MCI_OPEN, MCI_WAIT | MCI_OPEN_TYPE | MCI_OPEN_ELEMENT, &byType), 0u);

  for (uint32_t code : {MCIERR_INVALID_DEVICE_ID, MCIERR_FILE_NOT_FOUND}) EXPECT_FALSE(mci->ErrorText(code).empty());
  EXPECT_TRUE(mci->ErrorText(0x7777).empty());
}

TEST_F(SdlMediaTest, SeekingToTheStartRewindsAndStopsAPlayingPiece) {
  const uint16_t id = OpenRaw(Data("6.mid"));
  ASSERT_EQ(PlayRaw(id), 0u);
  MciSeekParms seek;
  seek.callback = 1;
  ASSERT_EQ(mci->SendCommand(id, MCI_SEEK, MCI_WAIT | MCI_SEEK_TO_START, &seek), 0u);
  EXPECT_EQ(Status(id, MCI_STATUS_MODE), MCI_MODE_STOP);
  EXPECT_EQ(Status(id, MCI_STATUS_POSITION), 0u);
  EXPECT_TRUE(notices.Seen(id, MCI_NOTIFY_ABORTED));
  ASSERT_EQ(mci->SendCommand(id, MCI_SEEK, MCI_WAIT | MCI_SEEK_TO_END, &seek), 0u);
  EXPECT_EQ(Status(id, MCI_STATUS_POSITION), Status(id, MCI_STATUS_LENGTH));
  // Played from its end, the piece ends at once.
  ASSERT_EQ(PlayRaw(id), 0u);
  EXPECT_TRUE(notices.WaitFor(id, MCI_NOTIFY_SUCCESSFUL));
}

// A machine without sound: checked in a fresh process, since SDL's audio
// driver is chosen once per process.
TEST(SdlMediaWithoutAudio, OpenFailsWithAClearText) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        setenv("SDL_AUDIODRIVER", "no_such_driver", 1);
        int outcome = 2;
        {
          test::SoundOnSdl sdl;
          TMediaPlayer m1(*sdl.media);
          try {
            PlayFile(m1, Data("0.mid"));
          } catch (const EMCIDeviceError& e) {
            outcome = std::string(e.what()) == "No audio device is available." && !m1.IsOpen() ? 0 : 1;
          }
        }
        std::exit(outcome);
      },
      ::testing::ExitedWithCode(0), "");
}

}  // namespace
}  // namespace tv
