#pragma once
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/sound/sound_output.h"

namespace tv {

// A MIDI output the system has (Windows' midiOut), which sounds the notes
// itself: the game only sends it each event at its time.
class MidiPort {
 public:
  virtual ~MidiPort();
  // A channel message: the status byte in the low byte, then its data bytes.
  virtual void Send(uint32_t shortMessage) = 0;
  virtual void Reset() = 0;  // all notes off
};

// A renderer that plays a checked, normalised piece (see ParseMidi) on
// `port`: each event is sent when the output's clock reaches its frame at
// `rate`, that is in the block of RenderInto that holds it, and nothing is
// added to the output. It answers the media layer as a synthesised piece does:
// finished once the block holding the end of its track is rendered, or
// halted by Stop, which sends all notes off. System exclusive messages are
// not sent: the port takes channel messages only. Null for bytes that are no
// normalised piece. `port` outlives it.
std::unique_ptr<MidiRenderer> SequenceOnPort(MidiPort& port, const std::vector<uint8_t>& piece, int rate);

}  // namespace tv
