#include "platform/sound/media_player.h"

#include "platform/base/exceptions.h"

namespace tv {

namespace {

// A media error's text is cut to 4095 characters (4096 with its terminating zero):
// whatever the layer says, the error carrying it stays bounded
// (MediaPlayerTest.ErrorTextIsCutToTheBufferOfTheInterface).
constexpr size_t kErrorTextBuffer = 4096;

const char* DeviceTypeName(MPDeviceType t) {
  switch (t) {
    case MPDeviceType::dtWaveAudio:
      return "waveaudio";
    case MPDeviceType::dtSequencer:
      return "sequencer";
    case MPDeviceType::dtAutoSelect:
      break;
  }
  return "";
}

}  // namespace

TMediaPlayer::TMediaPlayer(MediaControl& mci) : mci_(mci) {}

TMediaPlayer::~TMediaPlayer() {
  if (deviceId_ == 0) return;
  // Silence whatever still sounds; nobody is left to hear the notice or the result.
  MciGenericParms parms;
  parms.callback = 0;
  try {
    mci_.SendCommand(deviceId_, MCI_CLOSE, MCI_WAIT, &parms);
  } catch (...) {
  }
}

void TMediaPlayer::Open() {
  MciOpenParms parms{};
  if (opened_) Close();

  parms.callback = 0;
  parms.deviceType = DeviceTypeName(deviceType_);
  parms.elementName = fileName_;

  flags_ = MCI_WAIT;
  flags_ |= deviceType_ == MPDeviceType::dtAutoSelect ? MCI_OPEN_ELEMENT : MCI_OPEN_TYPE;
  if (shareable_) flags_ |= MCI_OPEN_SHAREABLE;
  parms.callback = Handle();

  error_ = mci_.SendCommand(0, MCI_OPEN, flags_, &parms);
  if (error_ != 0) throw EMCIDeviceError(ErrorMessage(error_));

  opened_ = true;
  deviceId_ = parms.deviceId;
  RefreshButtons();
}

void TMediaPlayer::Play() {
  if (!opened_) throw EMCIDeviceError("No MCI device open");

  // Playing from the end would end at once: start again from the beginning.
  if (autoRewind_) {
    const uint32_t position = StatusItem(MCI_STATUS_POSITION);
    const uint32_t length = StatusItem(MCI_STATUS_LENGTH);
    if (position == length) {
      MciSeekParms seek;
      seek.callback = Handle();
      flags_ = MCI_WAIT | MCI_SEEK_TO_START;
      error_ = mci_.SendCommand(deviceId_, MCI_SEEK, flags_, &seek);
    }
  }

  flags_ = MCI_NOTIFY;
  MciPlayParms parms;
  parms.callback = Handle();
  error_ = mci_.SendCommand(deviceId_, MCI_PLAY, flags_, &parms);
  if (error_ == 0) buttons_.mode = MCI_MODE_PLAY;
}

void TMediaPlayer::Close() {
  if (deviceId_ == 0) return;
  flags_ = MCI_WAIT;
  MciGenericParms parms;
  parms.callback = Handle();
  error_ = mci_.SendCommand(deviceId_, MCI_CLOSE, flags_, &parms);
  if (error_ == 0) {
    opened_ = false;
    deviceId_ = 0;
    buttons_ = {};
  }
}

void TMediaPlayer::HandleNotify(const Event& ev) {
  if (ev.type != Event::Type::MediaNotify) return;
  if (opened_ && deviceId_ != 0 && ev.id == deviceId_) {
    buttons_.mode = StatusItem(MCI_STATUS_MODE);
    buttons_.position = StatusItem(MCI_STATUS_POSITION);
  }
  if (OnNotify) OnNotify(ev.param);
}

uint32_t TMediaPlayer::StatusItem(uint32_t item) {
  MciStatusParms parms;
  parms.item = item;
  if (mci_.SendCommand(deviceId_, MCI_STATUS, MCI_WAIT | MCI_STATUS_ITEM, &parms) != 0) return 0;
  return parms.returnValue;
}

bool TMediaPlayer::DevCap(uint32_t item) {
  MciGetDevCapsParms parms;
  parms.item = item;
  if (mci_.SendCommand(deviceId_, MCI_GETDEVCAPS, MCI_WAIT | MCI_GETDEVCAPS_ITEM, &parms) != 0) return false;
  return parms.returnValue != 0;
}

void TMediaPlayer::RefreshButtons() {
  buttons_.length = StatusItem(MCI_STATUS_LENGTH);
  buttons_.canPlay = DevCap(MCI_GETDEVCAPS_CAN_PLAY);
  buttons_.canRecord = DevCap(MCI_GETDEVCAPS_CAN_RECORD);
  buttons_.canEject = DevCap(MCI_GETDEVCAPS_CAN_EJECT);
  buttons_.position = StatusItem(MCI_STATUS_POSITION);
  buttons_.mode = StatusItem(MCI_STATUS_MODE);
}

std::string TMediaPlayer::ErrorMessage(uint32_t code) {
  std::string text = mci_.ErrorText(code);
  if (text.empty()) return "Unknown error code";
  if (text.size() >= kErrorTextBuffer) text.resize(kErrorTextBuffer - 1);
  return text;
}

void PlayFile(TMediaPlayer& player, const std::string& path) {
  player.SetFileName(path);
  player.Open();
  player.Play();
}

}  // namespace tv
