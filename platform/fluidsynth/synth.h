#pragma once
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/sound/sound_output.h"

struct _fluid_player_t;  // FluidSynth's sequence player
struct _fluid_synth_t;   // FluidSynth's synthesiser
struct _fluid_hashtable_t;  // FluidSynth's settings

namespace tv {

// The synthesiser of a run: FluidSynth with the game's settings and the whole
// General MIDI sound font, made at the first need and then kept. Its owner
// (the program's sound, app/main.cpp) destroys it after every sequence on it
// and before the audio device whose thread renders it.
class Synth {
 public:
  Synth();
  ~Synth();
  Synth(const Synth&) = delete;
  Synth& operator=(const Synth&) = delete;

  // Makes the synthesiser and loads its sound font, if not done yet: from any
  // thread, and a caller meanwhile waits for it. Slow (the font is read), so
  // never with the audio device locked. False when it cannot be had.
  bool Prepare();
  // Whether Prepare has run (or is running) in this synthesiser's life.
  bool Made() const { return made_.load(); }
  // After Prepare: whether FluidSynth loaded and made a synthesiser, with its
  // sound font or without.
  bool HasSynthesiser() const { return synth_ != nullptr; }

  // SynthIdentity(), worked out once for this synthesiser.
  const std::string& Identity();

  // Frames rendered at a time.
  static constexpr int kChunk = 512;

 private:
  friend class MidiSequence;

  // Back to a quiet synthesiser, rung out unheard; see synth.cpp.
  void Reset();
  void RenderInto(float* out, int frames);

  std::once_flag prepared_;
  std::atomic<bool> made_{false};
  ::_fluid_hashtable_t* settings_ = nullptr;
  ::_fluid_synth_t* synth_ = nullptr;
  bool ready_ = false;  // written once, inside Prepare's once
  float scratch_[2 * kChunk] = {};
  std::once_flag identified_;
  std::string identity_;
};

// MIDI through the synthesiser: one sequence player per opened file.
// Every call that touches the synthesiser is made with the audio device
// locked (or from the audio callback), since the callback renders it.
class MidiSequence final : public MidiRenderer {
 public:
  // A sequence of `file` on `synth`, prepared first (which should be done
  // before the lock, as it may load the font); null when the synthesiser or
  // its sound font cannot be had, or the player refuses the file. With the
  // audio device locked: the player is hooked into the synthesiser.
  static std::unique_ptr<MidiSequence> Create(Synth& synth, std::vector<uint8_t> file);
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
  explicit MidiSequence(Synth& synth) : synth_(synth) {}
  bool MakePlayer();

  Synth& synth_;
  std::vector<uint8_t> file_;
  ::_fluid_player_t* player_ = nullptr;
};

// The General MIDI fonts the distributions install, in the order they are
// looked for (after TARVOLEN_SOUNDFONT): Debian's, Arch's and Fedora's names.
inline constexpr const char* kSoundFontPlaces[] = {
    "/usr/share/sounds/sf2/default-GM.sf2", "/usr/share/soundfonts/default.sf2",
    "/usr/share/soundfonts/FluidR3_GM.sf2", "/usr/share/sounds/sf2/FluidR3_GM.sf2",
    "/usr/share/sounds/sf2/TimGM6mb.sf2"};

// The font to load: `chosen` (TARVOLEN_SOUNDFONT's value, may be null) when
// `exists` says so, else the first of kSoundFontPlaces that exists; the first
// place when none does, so a message names where the font was looked for.
std::string FindSoundFont(const char* chosen, const std::function<bool(const std::string&)>& exists);

// The path of the sound font the synthesiser loads, looked up once.
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
// until the build records it again. Reads the font's head and tail each call.
std::string SynthIdentity();

// Renders a normalised piece the way the game first plays it (a fresh
// synthesiser with the game's settings) to its last event and the ring the
// game lets sound after it: interleaved stereo at the device's rate, and the
// frame at which the piece's last event was played.
bool RecordPiece(const std::vector<uint8_t>& piece, std::vector<float>& stereo, uint64_t& doneFrame);

}  // namespace tv
