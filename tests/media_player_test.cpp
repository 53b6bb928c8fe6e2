#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "platform/sound/media_player.h"
#include "platform/base/exceptions.h"
#include "tests/support/fake_media_control.h"

namespace tv {
namespace {

using test::FakeMediaControl;
using test::RecordedCommand;

constexpr uint32_t kNotReady = MCIERR_BASE + 20;

// Runs `f` and returns the text of the EMCIDeviceError it raises; fails the test otherwise.
template <typename F>
std::string MciErrorOf(F&& f) {
  try {
    f();
  } catch (const EMCIDeviceError& e) {
    return e.what();
  }
  ADD_FAILURE() << "no EMCIDeviceError raised";
  return {};
}

class MediaPlayerTest : public ::testing::Test {
 protected:
  FakeMediaControl mci;
  std::unique_ptr<TMediaPlayer> m1 = std::make_unique<TMediaPlayer>(mci);
};

// --- Open ---

TEST_F(MediaPlayerTest, OpenSendsTheFileByElementToDeviceZeroAndWaits) {
  m1->SetFileName("/opt/tarvolen/0.mid");
  m1->Open();

  ASSERT_FALSE(mci.commands.empty());
  const RecordedCommand& open = mci.commands.front();
  EXPECT_EQ(open.command, MCI_OPEN);
  EXPECT_EQ(open.deviceId, 0);
  EXPECT_EQ(open.flags, 0x202u);
  EXPECT_EQ(open.elementName, "/opt/tarvolen/0.mid");
  EXPECT_EQ(open.deviceType, "");
  EXPECT_NE(open.callback, 0u);
  EXPECT_EQ(open.callback, m1->Handle());

  EXPECT_TRUE(m1->IsOpen());
  EXPECT_EQ(m1->DeviceID(), 1);
  EXPECT_EQ(m1->Error(), 0u);
}

TEST_F(MediaPlayerTest, OpenQueriesTheNewDeviceAndWaitsForEachAnswer) {
  mci.mediumLength = 31234;
  m1->SetFileName("3.mid");
  m1->Open();

  auto queries = mci.Of(MCI_STATUS);
  auto caps = mci.Of(MCI_GETDEVCAPS);
  ASSERT_FALSE(queries.empty());
  ASSERT_FALSE(caps.empty());
  for (const auto& q : queries) {
    EXPECT_EQ(q.deviceId, m1->DeviceID());
    EXPECT_EQ(q.flags, MCI_WAIT | MCI_STATUS_ITEM);
  }
  for (const auto& q : caps) {
    EXPECT_EQ(q.deviceId, m1->DeviceID());
    EXPECT_EQ(q.flags, MCI_WAIT | MCI_GETDEVCAPS_ITEM);
  }
  auto asked = [&](uint32_t item) {
    for (const auto& q : queries)
      if (q.item == item) return true;
    return false;
  };
  EXPECT_TRUE(asked(MCI_STATUS_LENGTH));
  EXPECT_TRUE(asked(MCI_STATUS_POSITION));
  EXPECT_TRUE(asked(MCI_STATUS_MODE));
  EXPECT_EQ(m1->Buttons().length, 31234u);
  EXPECT_EQ(m1->Buttons().mode, MCI_MODE_STOP);
  EXPECT_TRUE(m1->Buttons().canPlay);
  // Nothing but queries follows the open: it does not start playing by itself.
  EXPECT_EQ(mci.CommandCodes(false), std::vector<uint32_t>{MCI_OPEN});
  EXPECT_EQ(mci.Sounding(), 0);
}

TEST_F(MediaPlayerTest, FailingQueriesAfterOpenRaiseNothing) {
  mci.queryResult = kNotReady;
  m1->SetFileName("hit.wav");
  EXPECT_NO_THROW(m1->Open());
  EXPECT_TRUE(m1->IsOpen());
  EXPECT_NO_THROW(m1->Play());
  EXPECT_EQ(mci.Sounding(), m1->DeviceID());
}

TEST_F(MediaPlayerTest, ShareableAndNamedTypeChangeTheOpenFlags) {
  m1->SetShareable(true);
  m1->SetFileName("a.wav");
  m1->Open();
  EXPECT_EQ(mci.commands.front().flags, MCI_WAIT | MCI_OPEN_ELEMENT | MCI_OPEN_SHAREABLE);

  mci.commands.clear();
  m1->SetShareable(false);
  m1->SetDeviceType(MPDeviceType::dtSequencer);
  m1->Open();
  auto opens = mci.Of(MCI_OPEN);
  ASSERT_EQ(opens.size(), 1u);
  EXPECT_EQ(opens[0].flags, MCI_WAIT | MCI_OPEN_TYPE);
  EXPECT_EQ(opens[0].deviceType, "sequencer");
}

TEST_F(MediaPlayerTest, SettingsAreThoseOfTheHiddenPlayer) {
  EXPECT_EQ(m1->FileName(), "");
  EXPECT_EQ(m1->DeviceType(), MPDeviceType::dtAutoSelect);
  EXPECT_FALSE(m1->Shareable());
  EXPECT_FALSE(m1->AutoOpen());
  EXPECT_TRUE(m1->AutoRewind());
  EXPECT_FALSE(m1->Visible());
  EXPECT_FALSE(m1->IsOpen());
  // Creating the player opened nothing.
  EXPECT_TRUE(mci.commands.empty());
}

TEST_F(MediaPlayerTest, SettingFileNameAloneSendsNothing) {
  m1->SetFileName("1.mid");
  m1->SetFileName("2.mid");
  EXPECT_TRUE(mci.commands.empty());

  PlayFile(*m1, "1.mid");
  const size_t sent = mci.commands.size();
  const uint16_t sounding = mci.Sounding();
  m1->SetFileName("hit.wav");
  EXPECT_EQ(mci.commands.size(), sent);
  EXPECT_EQ(mci.Sounding(), sounding);
  EXPECT_EQ(mci.devices.at(sounding).element, "1.mid");
}

// --- Failures of Open ---

TEST_F(MediaPlayerTest, FailedOpenRaisesTheLayersTextAndLeavesTheDeviceClosed) {
  mci.openResult = MCIERR_FILE_NOT_FOUND;
  mci.errorTexts[MCIERR_FILE_NOT_FOUND] = "The specified file was not found.";
  m1->SetFileName("missing.mid");

  EXPECT_EQ(MciErrorOf([&] { m1->Open(); }), "The specified file was not found.");
  EXPECT_FALSE(m1->IsOpen());
  EXPECT_EQ(m1->DeviceID(), 0);
  EXPECT_EQ(m1->Error(), MCIERR_FILE_NOT_FOUND);
  // No queries to a device that does not exist.
  EXPECT_EQ(mci.CommandCodes(), std::vector<uint32_t>{MCI_OPEN});
}

TEST_F(MediaPlayerTest, FailedOpenWithoutATextSaysUnknownErrorCode) {
  mci.openResult = 0x7777;
  m1->SetFileName("x.mid");
  EXPECT_EQ(MciErrorOf([&] { m1->Open(); }), "Unknown error code");
}

TEST_F(MediaPlayerTest, ErrorTextIsCutToTheBufferOfTheInterface) {
  mci.openResult = kNotReady;
  mci.errorTexts[kNotReady] = std::string(5000, 'x');
  m1->SetFileName("x.mid");
  EXPECT_EQ(MciErrorOf([&] { m1->Open(); }).size(), 4095u);
}

TEST_F(MediaPlayerTest, FailedOpenStillStopsWhatPlayedBefore) {
  PlayFile(*m1, "1.mid");
  const uint16_t first = m1->DeviceID();
  mci.openResult = MCIERR_FILE_NOT_FOUND;

  EXPECT_THROW(PlayFile(*m1, "2.mid"), EMCIDeviceError);
  EXPECT_EQ(mci.devices.count(first), 0u);
  EXPECT_EQ(mci.Sounding(), 0);
  EXPECT_FALSE(m1->IsOpen());
  // PlayFile gave up at Open: no play was sent for the missing file.
  EXPECT_EQ(mci.Of(MCI_PLAY).size(), 1u);
  EXPECT_EQ(MciErrorOf([&] { m1->Play(); }), "No MCI device open");
}

// --- Play ---

TEST_F(MediaPlayerTest, PlayWithoutAnOpenDeviceRaisesAndSendsNothing) {
  m1->SetFileName("0.mid");
  EXPECT_EQ(MciErrorOf([&] { m1->Play(); }), "No MCI device open");
  EXPECT_TRUE(mci.commands.empty());
}

TEST_F(MediaPlayerTest, PlayNotifiesWithoutWaitingAndDoesNotRewindAFreshMedium) {
  m1->SetFileName("0.mid");
  m1->Open();
  mci.commands.clear();
  m1->Play();

  EXPECT_EQ(mci.CommandCodes(false), std::vector<uint32_t>{MCI_PLAY});
  auto play = mci.Of(MCI_PLAY).at(0);
  EXPECT_EQ(play.flags, MCI_NOTIFY);
  EXPECT_EQ(play.deviceId, m1->DeviceID());
  EXPECT_EQ(play.callback, m1->Handle());
  EXPECT_EQ(mci.Sounding(), m1->DeviceID());
}

TEST_F(MediaPlayerTest, PlayAtTheEndRewindsFirst) {
  m1->SetFileName("1.mid");
  m1->Open();
  mci.devices.at(m1->DeviceID()).position = mci.mediumLength;
  mci.commands.clear();
  m1->Play();

  EXPECT_EQ(mci.CommandCodes(false), (std::vector<uint32_t>{MCI_SEEK, MCI_PLAY}));
  auto seek = mci.Of(MCI_SEEK).at(0);
  EXPECT_EQ(seek.flags, 0x102u);
  EXPECT_EQ(seek.deviceId, m1->DeviceID());
  EXPECT_EQ(mci.devices.at(m1->DeviceID()).position, 0u);
}

TEST_F(MediaPlayerTest, AnEmptyMediumIsRewoundBeforePlaying) {
  mci.mediumLength = 0;
  PlayFile(*m1, "empty.wav");
  EXPECT_EQ(mci.CommandCodes(false), (std::vector<uint32_t>{MCI_OPEN, MCI_SEEK, MCI_PLAY}));
}

TEST_F(MediaPlayerTest, WithoutAutoRewindPlayGoesOnFromTheEnd) {
  m1->SetAutoRewind(false);
  mci.mediumLength = 0;
  PlayFile(*m1, "empty.wav");
  EXPECT_EQ(mci.CommandCodes(false), (std::vector<uint32_t>{MCI_OPEN, MCI_PLAY}));
}

TEST_F(MediaPlayerTest, APlayResultIsKeptNotRaised) {
  mci.playResult = kNotReady;
  m1->SetFileName("0.mid");
  m1->Open();
  EXPECT_NO_THROW(m1->Play());
  EXPECT_EQ(m1->Error(), kNotReady);
  EXPECT_TRUE(m1->IsOpen());
}

// --- Close ---

TEST_F(MediaPlayerTest, CloseWithNothingOpenSendsNothing) {
  m1->Close();
  EXPECT_TRUE(mci.commands.empty());
}

TEST_F(MediaPlayerTest, CloseWaitsAndClearsTheDevice) {
  PlayFile(*m1, "0.mid");
  const uint16_t id = m1->DeviceID();
  mci.commands.clear();
  m1->Close();

  ASSERT_EQ(mci.commands.size(), 1u);
  EXPECT_EQ(mci.commands[0].command, MCI_CLOSE);
  EXPECT_EQ(mci.commands[0].deviceId, id);
  EXPECT_EQ(mci.commands[0].flags, MCI_WAIT);
  EXPECT_EQ(mci.commands[0].callback, m1->Handle());
  EXPECT_FALSE(m1->IsOpen());
  EXPECT_EQ(m1->DeviceID(), 0);
  EXPECT_EQ(mci.Sounding(), 0);
}

TEST_F(MediaPlayerTest, AFailedCloseKeepsTheDeviceCountedOpenAndOpenGoesOn) {
  PlayFile(*m1, "1.mid");
  const uint16_t first = m1->DeviceID();
  mci.closeResult = kNotReady;

  EXPECT_NO_THROW(m1->Close());
  EXPECT_TRUE(m1->IsOpen());
  EXPECT_EQ(m1->DeviceID(), first);
  EXPECT_EQ(m1->Error(), kNotReady);

  mci.commands.clear();
  m1->SetFileName("2.mid");
  EXPECT_NO_THROW(m1->Open());
  EXPECT_EQ(mci.CommandCodes(false), (std::vector<uint32_t>{MCI_CLOSE, MCI_OPEN}));
  EXPECT_TRUE(m1->IsOpen());
  EXPECT_NE(m1->DeviceID(), first);
  EXPECT_EQ(mci.devices.at(m1->DeviceID()).element, "2.mid");
}

// --- Sequences of the game ---

TEST_F(MediaPlayerTest, ANewPieceClosesTheOldDeviceBeforeOpeningTheNext) {
  PlayFile(*m1, "/g/3.mid");
  const uint16_t level = m1->DeviceID();
  PlayFile(*m1, "/g/hit.wav");

  const int close = mci.IndexOf(MCI_CLOSE);
  const int open = mci.IndexOf(MCI_OPEN, 1);
  ASSERT_GE(close, 0);
  ASSERT_GE(open, 0);
  EXPECT_LT(close, open);
  EXPECT_EQ(mci.commands[size_t(close)].deviceId, level);
  EXPECT_EQ(mci.commands[size_t(open)].elementName, "/g/hit.wav");

  // Only the effect sounds; the level music is gone for good.
  EXPECT_EQ(mci.devices.size(), 1u);
  EXPECT_EQ(mci.devices.at(mci.Sounding()).element, "/g/hit.wav");
  EXPECT_EQ(mci.devices.count(level), 0u);
}

TEST_F(MediaPlayerTest, OpeningTheSameFileTwiceRestartsItFromTheBeginning) {
  PlayFile(*m1, "/g/0.mid");
  const uint16_t first = m1->DeviceID();
  mci.devices.at(first).position = 1700;  // some way into the piece
  PlayFile(*m1, "/g/0.mid");

  EXPECT_EQ(mci.CommandCodes(false),
            (std::vector<uint32_t>{MCI_OPEN, MCI_PLAY, MCI_CLOSE, MCI_OPEN, MCI_PLAY}));
  EXPECT_EQ(mci.devices.count(first), 0u);
  const uint16_t second = m1->DeviceID();
  EXPECT_EQ(mci.Sounding(), second);
  EXPECT_EQ(mci.devices.at(second).position, 0u);
}

TEST_F(MediaPlayerTest, StatesClosedOpenSilentAndPlaying) {
  // closed
  EXPECT_FALSE(m1->IsOpen());
  EXPECT_EQ(mci.Sounding(), 0);
  // open, silent
  m1->SetFileName("5.mid");
  m1->Open();
  EXPECT_TRUE(m1->IsOpen());
  EXPECT_EQ(mci.Sounding(), 0);
  // open, playing
  m1->Play();
  EXPECT_EQ(mci.Sounding(), m1->DeviceID());
  EXPECT_EQ(m1->Buttons().mode, MCI_MODE_PLAY);
  // the end of the piece: open, silent, nothing restarted
  uint32_t heard = 0;
  m1->OnNotify = [&](uint32_t code) { heard = code; };
  const size_t before = mci.Of(MCI_PLAY).size();
  m1->HandleNotify(mci.Finish(m1->DeviceID()));
  EXPECT_EQ(heard, MCI_NOTIFY_SUCCESSFUL);
  EXPECT_TRUE(m1->IsOpen());
  EXPECT_EQ(m1->Buttons().mode, MCI_MODE_STOP);
  EXPECT_EQ(mci.Of(MCI_PLAY).size(), before);
  EXPECT_EQ(mci.Sounding(), 0);
  // closed again
  m1->Close();
  EXPECT_FALSE(m1->IsOpen());
}

TEST_F(MediaPlayerTest, ANoticeOfAnEarlierDeviceQueriesNothing) {
  PlayFile(*m1, "1.mid");
  const uint16_t old = m1->DeviceID();
  Event stale = mci.Finish(old);
  PlayFile(*m1, "2.mid");
  mci.commands.clear();
  m1->HandleNotify(stale);
  EXPECT_TRUE(mci.commands.empty());
  EXPECT_EQ(m1->Buttons().mode, MCI_MODE_PLAY);
}

// --- Destruction ---

TEST_F(MediaPlayerTest, DestructionClosesTheOpenDeviceWithoutCallback) {
  PlayFile(*m1, "hit.wav");
  const uint16_t id = m1->DeviceID();
  mci.commands.clear();
  m1.reset();

  ASSERT_EQ(mci.commands.size(), 1u);
  EXPECT_EQ(mci.commands[0].command, MCI_CLOSE);
  EXPECT_EQ(mci.commands[0].deviceId, id);
  EXPECT_EQ(mci.commands[0].flags, MCI_WAIT);
  EXPECT_EQ(mci.commands[0].callback, 0u);
  EXPECT_EQ(mci.Sounding(), 0);
}

TEST_F(MediaPlayerTest, DestructionWithNothingOpenSendsNothing) {
  m1->SetFileName("0.mid");
  m1.reset();
  EXPECT_TRUE(mci.commands.empty());
}

TEST_F(MediaPlayerTest, DestructionIgnoresAFailingClose) {
  PlayFile(*m1, "0.mid");
  mci.closeResult = kNotReady;
  EXPECT_NO_THROW(m1.reset());
  EXPECT_EQ(mci.Of(MCI_CLOSE).size(), 1u);
}

}  // namespace
}  // namespace tv
