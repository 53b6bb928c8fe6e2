#include "platform/win32/win32_midi_port.h"

namespace tv {

std::unique_ptr<Win32MidiPort> Win32MidiPort::Open(std::string& why) {
  HMIDIOUT out = nullptr;
  const MMRESULT result = ::midiOutOpen(&out, MIDI_MAPPER, 0, 0, CALLBACK_NULL);
  if (result != MMSYSERR_NOERROR) {
    wchar_t text[MAXERRORLENGTH] = {};
    why = ::midiOutGetErrorTextW(result, text, MAXERRORLENGTH) == MMSYSERR_NOERROR ? Utf8(text)
                                                                                  : "no MIDI output device";
    return nullptr;
  }
  return std::unique_ptr<Win32MidiPort>(new Win32MidiPort(out));
}

Win32MidiPort::~Win32MidiPort() {
  ::midiOutReset(out_);
  ::midiOutClose(out_);
}

void Win32MidiPort::Send(uint32_t shortMessage) { ::midiOutShortMsg(out_, shortMessage); }

void Win32MidiPort::Reset() { ::midiOutReset(out_); }

}  // namespace tv
