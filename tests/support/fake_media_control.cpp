#include "tests/support/fake_media_control.h"

namespace tv::test {

namespace {
constexpr uint32_t kUnrecognizedCommand = MCIERR_BASE + 5;
}

uint32_t FakeMediaControl::SendCommand(uint16_t deviceId, uint32_t command, uint32_t flags, void* params) {
  RecordedCommand rec;
  rec.deviceId = deviceId;
  rec.command = command;
  rec.flags = flags;

  auto device = devices.find(deviceId);
  const bool known = device != devices.end();
  uint32_t result = 0;

  switch (command) {
    case MCI_OPEN: {
      auto* p = static_cast<MciOpenParms*>(params);
      rec.callback = p->callback;
      rec.deviceType = p->deviceType;
      rec.elementName = p->elementName;
      result = failing.count(p->elementName) ? MCIERR_FILE_NOT_FOUND : openResult;
      if (result == 0) {
        // One sound at a time, as the real layer does.
        for (auto& [id, d] : devices) d.playing = false;
        p->deviceId = nextId_++;
        devices[p->deviceId] = Device{p->elementName, 0, mediumLength, false};
      }
      break;
    }
    case MCI_CLOSE: {
      rec.callback = static_cast<MciGenericParms*>(params)->callback;
      result = !known ? MCIERR_INVALID_DEVICE_ID : closeResult;
      if (result == 0) devices.erase(device);
      break;
    }
    case MCI_PLAY: {
      rec.callback = static_cast<MciPlayParms*>(params)->callback;
      result = !known ? MCIERR_INVALID_DEVICE_ID : playResult;
      if (result == 0) {
        for (auto& [id, d] : devices) d.playing = false;
        device->second.playing = true;
      }
      break;
    }
    case MCI_SEEK: {
      rec.callback = static_cast<MciSeekParms*>(params)->callback;
      result = !known ? MCIERR_INVALID_DEVICE_ID : 0;
      if (result == 0 && (flags & MCI_SEEK_TO_START)) device->second.position = 0;
      break;
    }
    case MCI_STATUS: {
      auto* p = static_cast<MciStatusParms*>(params);
      rec.callback = p->callback;
      rec.item = p->item;
      if (!known) {
        result = MCIERR_INVALID_DEVICE_ID;
      } else if (queryResult != 0) {
        result = queryResult;
      } else if (p->item == MCI_STATUS_LENGTH) {
        p->returnValue = device->second.length;
      } else if (p->item == MCI_STATUS_POSITION) {
        p->returnValue = device->second.position;
      } else if (p->item == MCI_STATUS_MODE) {
        p->returnValue = device->second.playing ? MCI_MODE_PLAY : MCI_MODE_STOP;
      } else {
        p->returnValue = 0;
      }
      break;
    }
    case MCI_GETDEVCAPS: {
      auto* p = static_cast<MciGetDevCapsParms*>(params);
      rec.callback = p->callback;
      rec.item = p->item;
      if (!known) result = MCIERR_INVALID_DEVICE_ID;
      else if (queryResult != 0) result = queryResult;
      else p->returnValue = p->item == MCI_GETDEVCAPS_CAN_PLAY || p->item == MCI_GETDEVCAPS_HAS_AUDIO;
      break;
    }
    default:
      result = kUnrecognizedCommand;
  }
  commands.push_back(rec);
  return result;
}

std::string FakeMediaControl::ErrorText(uint32_t code) {
  auto it = errorTexts.find(code);
  return it == errorTexts.end() ? std::string() : it->second;
}

std::vector<uint32_t> FakeMediaControl::CommandCodes(bool withQueries) const {
  std::vector<uint32_t> codes;
  for (const auto& c : commands) {
    if (!withQueries && (c.command == MCI_STATUS || c.command == MCI_GETDEVCAPS)) continue;
    codes.push_back(c.command);
  }
  return codes;
}

std::vector<RecordedCommand> FakeMediaControl::Of(uint32_t command) const {
  std::vector<RecordedCommand> out;
  for (const auto& c : commands)
    if (c.command == command) out.push_back(c);
  return out;
}

int FakeMediaControl::IndexOf(uint32_t command, size_t from) const {
  for (size_t i = from; i < commands.size(); ++i)
    if (commands[i].command == command) return int(i);
  return -1;
}

uint16_t FakeMediaControl::Sounding() const {
  for (const auto& [id, d] : devices)
    if (d.playing) return id;
  return 0;
}

Event FakeMediaControl::Finish(uint16_t deviceId) {
  Device& d = devices.at(deviceId);
  d.playing = false;
  d.position = d.length;
  Event ev;
  ev.type = Event::Type::MediaNotify;
  ev.id = deviceId;
  ev.param = MCI_NOTIFY_SUCCESSFUL;
  return ev;
}

}  // namespace tv::test
