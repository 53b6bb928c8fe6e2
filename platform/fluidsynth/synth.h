#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/sound/sound_output.h"

struct _fluid_player_t;  // FluidSynth's sequence player

namespace tv {

// MIDI through FluidSynth: one synthesiser for the whole run, with the
// General MIDI sound font loaded once, whole; one sequence player per opened
// file.
// Every call that touches the synthesiser is made with the audio device
// locked (or from the audio callback), since the callback renders it.
class MidiSequence final : public MidiRenderer {
 public:
  // Null when the synthesiser or its sound font cannot be had.
  static std::unique_ptr<MidiSequence> Create(std::vector<uint8_t> file);
  ~MidiSequence() override;
  MidiSequence(const MidiSequence&) = delete;
  MidiSequence& operator=(const MidiSequence&) = delete;

  // From the beginning, or on from where Stop left it.
  void Start() override;
  // Halts the sequence and cuts every sounding note.
  void Stop() override;
  // Back to the beginning, halted.
  bool Rewind() override;
  // The sequence has played its last event.
  bool Finished() const override;
  // Adds the synthesiser's output (interleaved stereo) into `out`.
  void RenderInto(float* out, int frames) override;

 private:
  MidiSequence() = default;
  bool MakePlayer();

  std::vector<uint8_t> file_;
  ::_fluid_player_t* player_ = nullptr;
};

// Makes the synthesiser and loads its sound font now, if not done yet: safe
// from any thread, and a MIDI file opened meanwhile waits for it.
void PrepareSynth();

// Whether the synthesiser has been made (or tried) in this run.
bool SynthMade();

// The path of the sound font the synthesiser loads.
const char* SoundFontPath();

// What the recordings' key holds besides the piece (RecordingName): the sound
// font's identity (its size and hashes) and every setting the game itself
// gives FluidSynth (rate, gain, polyphony, dynamic sample loading, timing
// source, ...). Empty without a sound font. FluidSynth's version and its
// defaults are left out on purpose: the recordings are what the build
// machine's player heard, so an update of FluidSynth with the same font still
// plays them (even one that would synthesise a little differently) rather
// than turning every piece back into live synthesis. Another font, or a
// setting the game changes, is another key, and the piece is synthesised
// until the build records it again.
const std::string& SynthIdentity();

// Renders a normalised piece the way the game first plays it (a fresh
// synthesiser with the game's settings) to its last event and the ring the
// game lets sound after it: interleaved stereo at the device's rate, and the
// frame at which the piece's last event was played.
bool RecordPiece(const std::vector<uint8_t>& piece, std::vector<float>& stereo, uint64_t& doneFrame);

}  // namespace tv
