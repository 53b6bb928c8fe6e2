#pragma once
#include <memory>
#include <string>

#include "platform/files/windows_api.h"
#include "platform/sound/midi_port.h"

namespace tv {

// The system's MIDI synthesiser through midiOut (the MIDI mapper), for a
// piece without its recording. Closed, every note off first, as it goes.
class Win32MidiPort final : public MidiPort {
 public:
  // Null when the machine has no MIDI output; `why` says what midiOut answered.
  static std::unique_ptr<Win32MidiPort> Open(std::string& why);
  ~Win32MidiPort() override;
  Win32MidiPort(const Win32MidiPort&) = delete;
  Win32MidiPort& operator=(const Win32MidiPort&) = delete;

  void Send(uint32_t shortMessage) override;
  void Reset() override;

 private:
  explicit Win32MidiPort(HMIDIOUT out) : out_(out) {}
  HMIDIOUT out_;
};

}  // namespace tv
