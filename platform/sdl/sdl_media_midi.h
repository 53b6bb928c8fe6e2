#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

struct _fluid_player_t;  // FluidSynth's sequence player

namespace tv::sdl {

// MIDI through FluidSynth: one synthesiser for the whole run, with the
// General MIDI sound font loaded once; one sequence player per opened file.
// Every call that touches the synthesiser is made with the audio device
// locked (or from the audio callback), since the callback renders it.
class MidiSequence {
 public:
  // Null when the synthesiser or its sound font cannot be had.
  static std::unique_ptr<MidiSequence> Create(std::vector<uint8_t> file);
  ~MidiSequence();
  MidiSequence(const MidiSequence&) = delete;
  MidiSequence& operator=(const MidiSequence&) = delete;

  // From the beginning, or on from where Stop left it.
  void Start();
  // Halts the sequence and cuts every sounding note.
  void Stop();
  // Back to the beginning, halted.
  bool Rewind();
  // The sequence has played its last event.
  bool Finished() const;
  // Adds the synthesiser's output (interleaved stereo) into `out`.
  void RenderInto(float* out, int frames);

 private:
  MidiSequence() = default;
  bool MakePlayer();

  std::vector<uint8_t> file_;
  ::_fluid_player_t* player_ = nullptr;
};

// Makes the synthesiser and loads its sound font now, if not done yet: safe
// from any thread, and a MIDI file opened meanwhile waits for it.
void PrepareSynth();

// The path of the sound font the synthesiser loads.
const char* SoundFontPath();

}  // namespace tv::sdl
