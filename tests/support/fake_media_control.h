#pragma once
#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/sound/media_control.h"

namespace tv::test {

// One command as the layer received it, with the fields of its record that matter.
struct RecordedCommand {
  uint16_t deviceId = 0;
  uint32_t command = 0;
  uint32_t flags = 0;
  MciCallback callback = 0;
  std::string deviceType;   // MCI_OPEN
  std::string elementName;  // MCI_OPEN
  uint32_t item = 0;        // MCI_STATUS, MCI_GETDEVCAPS
};

// A media control layer that records what it is sent and answers from a script.
// Devices are numbered from 1; each keeps a position, a length and whether it plays.
class FakeMediaControl : public MediaControl {
 public:
  struct Device {
    std::string element;
    uint32_t position = 0;
    uint32_t length = 0;
    bool playing = false;
  };

  uint32_t SendCommand(uint16_t deviceId, uint32_t command, uint32_t flags, void* params) override;
  std::string ErrorText(uint32_t code) override;

  // Script: results of the next commands of each kind (0 = success), the
  // length a newly opened medium reports, and the texts for error codes.
  uint32_t openResult = 0;
  uint32_t playResult = 0;
  uint32_t closeResult = 0;
  uint32_t queryResult = 0;  // MCI_STATUS and MCI_GETDEVCAPS
  uint32_t mediumLength = 5000;
  std::map<uint32_t, std::string> errorTexts;
  // Files whose Open fails as if they were missing.
  std::set<std::string> failing;

  // Record.
  std::vector<RecordedCommand> commands;
  std::map<uint16_t, Device> devices;  // the open ones

  // The command codes received, in order; status and capability queries
  // left out when `withQueries` is false.
  std::vector<uint32_t> CommandCodes(bool withQueries = true) const;
  std::vector<RecordedCommand> Of(uint32_t command) const;
  // Index in `commands` of the first command of this kind at or after `from`; -1 if none.
  int IndexOf(uint32_t command, size_t from = 0) const;
  // The device that is sounding, 0 if none.
  uint16_t Sounding() const;
  // Lets the device's piece run to its end; returns the notice the layer would post.
  Event Finish(uint16_t deviceId);

 private:
  uint16_t nextId_ = 1;
};

}  // namespace tv::test
