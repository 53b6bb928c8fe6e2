#pragma once
#include <cstdint>
#include <functional>
#include <string>

#include "platform/base/event.h"

namespace tv {

// The media control layer: numbered commands with flags and parameter records,
// just wide enough for the media player widget. A device is
// opened on a file (its kind chosen from the extension), played without
// waiting, queried, rewound and closed. Completion notices come back as
// Event::Type::MediaNotify events of the loop (id = device, param = notify code).

// Commands.
constexpr uint32_t MCI_OPEN = 0x0803;
constexpr uint32_t MCI_CLOSE = 0x0804;
constexpr uint32_t MCI_PLAY = 0x0806;
constexpr uint32_t MCI_SEEK = 0x0807;
constexpr uint32_t MCI_GETDEVCAPS = 0x080B;
constexpr uint32_t MCI_STATUS = 0x0814;

// Flags common to every command.
constexpr uint32_t MCI_NOTIFY = 0x1;  // post a completion notice to the callback
constexpr uint32_t MCI_WAIT = 0x2;    // return only when the command has finished
constexpr uint32_t MCI_FROM = 0x4;
constexpr uint32_t MCI_TO = 0x8;

// MCI_OPEN flags.
constexpr uint32_t MCI_OPEN_SHAREABLE = 0x100;
constexpr uint32_t MCI_OPEN_ELEMENT = 0x200;
constexpr uint32_t MCI_OPEN_ALIAS = 0x400;
constexpr uint32_t MCI_OPEN_TYPE = 0x2000;

// MCI_SEEK flags.
constexpr uint32_t MCI_SEEK_TO_START = 0x100;
constexpr uint32_t MCI_SEEK_TO_END = 0x200;

// MCI_STATUS flag and items.
constexpr uint32_t MCI_STATUS_ITEM = 0x100;
constexpr uint32_t MCI_STATUS_LENGTH = 0x1;
constexpr uint32_t MCI_STATUS_POSITION = 0x2;
constexpr uint32_t MCI_STATUS_MODE = 0x4;
constexpr uint32_t MCI_STATUS_READY = 0x7;

// MCI_GETDEVCAPS flag and items.
constexpr uint32_t MCI_GETDEVCAPS_ITEM = 0x100;
constexpr uint32_t MCI_GETDEVCAPS_CAN_RECORD = 0x1;
constexpr uint32_t MCI_GETDEVCAPS_HAS_AUDIO = 0x2;
constexpr uint32_t MCI_GETDEVCAPS_CAN_EJECT = 0x7;
constexpr uint32_t MCI_GETDEVCAPS_CAN_PLAY = 0x8;

// Values of MCI_STATUS_MODE.
constexpr uint32_t MCI_MODE_NOT_READY = 524;
constexpr uint32_t MCI_MODE_STOP = 525;
constexpr uint32_t MCI_MODE_PLAY = 526;

// Notify codes, carried in the notice's Event::param.
constexpr uint32_t MCI_NOTIFY_SUCCESSFUL = 0x1;  // the command ran to its end
constexpr uint32_t MCI_NOTIFY_SUPERSEDED = 0x2;  // a later command of the same kind took over
constexpr uint32_t MCI_NOTIFY_ABORTED = 0x4;     // cut off: the device was closed or stopped
constexpr uint32_t MCI_NOTIFY_FAILURE = 0x8;

// Result codes the caller may look at; everything else is for ErrorText.
constexpr uint32_t MCI_SUCCESS = 0;
constexpr uint32_t MCIERR_BASE = 256;
constexpr uint32_t MCIERR_INVALID_DEVICE_ID = MCIERR_BASE + 1;
constexpr uint32_t MCIERR_FILE_NOT_FOUND = MCIERR_BASE + 19;

// A token naming who receives the notices of a command; 0 = nobody.
using MciCallback = uintptr_t;

struct MciOpenParms {
  MciCallback callback = 0;
  uint16_t deviceId = 0;    // out: the device opened
  std::string deviceType;   // with MCI_OPEN_TYPE: "sequencer" or "waveaudio"
  std::string elementName;  // with MCI_OPEN_ELEMENT: the file
  std::string alias;
};

struct MciPlayParms {
  MciCallback callback = 0;
  uint32_t from = 0;  // with MCI_FROM, in the device's time format
  uint32_t to = 0;    // with MCI_TO
};

struct MciSeekParms {
  MciCallback callback = 0;
  uint32_t to = 0;
};

struct MciGenericParms {
  MciCallback callback = 0;
};

struct MciStatusParms {
  MciCallback callback = 0;
  uint32_t returnValue = 0;  // out
  uint32_t item = 0;
};

struct MciGetDevCapsParms {
  MciCallback callback = 0;
  uint32_t returnValue = 0;  // out
  uint32_t item = 0;
};

// Where a backend delivers its completion notices; must be safe to call from
// any thread (the app passes Backend::PostEvent).
using MediaPostSink = std::function<void(const Event&)>;

class MediaControl {
 public:
  virtual ~MediaControl() = default;

  // Runs one command; 0 on success, an error code otherwise. `params` points
  // at the record that belongs to the command (MciOpenParms for MCI_OPEN,
  // MciGenericParms for MCI_CLOSE, and so on). Times are in milliseconds.
  virtual uint32_t SendCommand(uint16_t deviceId, uint32_t command, uint32_t flags, void* params) = 0;

  // The text for an error code; empty when the layer has none.
  virtual std::string ErrorText(uint32_t code) = 0;
};

}  // namespace tv
