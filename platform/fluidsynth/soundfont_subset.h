#pragma once
#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

typedef struct _fluid_synth_t fluid_synth_t;
typedef struct _fluid_hashtable_t fluid_settings_t;

namespace tv {

// A General MIDI preset: (bank, program); bank 128 is the drum kits.
using Preset = std::pair<int, int>;

// The presets a Standard MIDI File sounds notes with: each channel's bank and
// program at its notes (channel 10 plays drum kits), and the presets a
// synthesiser falls back to when one is missing from a font. {-1, -1} among
// them stands for "any": a file that is not one, or one with system-exclusive
// messages (which may turn any channel into drums).
std::set<Preset> PresetsOfMidi(const std::vector<uint8_t>& file);

// A sound font cut down to some of its presets, as a file FluidSynth reads
// through its loader's callbacks: the original's head and sample data read
// from the file itself, its preset and instrument tables rebuilt with only the
// wanted presets and the instruments they use. FluidSynth holds every zone of
// every preset in memory (about 3.5 KiB a zone, over 7 MiB for the General
// MIDI font); the pieces of one game use a sixth of them, and what they play
// is the same, sample for sample.
struct SoundFontSubset {
  std::string path;            // the original font
  std::vector<uint8_t> head;   // its first 12 bytes, the RIFF size changed
  int64_t bodyEnd = 0;         // the original's bytes [12, bodyEnd) follow
  std::vector<uint8_t> tables; // then the rebuilt "pdta" list
  int64_t Size() const { return bodyEnd + int64_t(tables.size()); }
};

// Nothing when the font cannot be read or is not laid out as expected (the
// preset tables last); the caller then loads the whole font.
std::optional<SoundFontSubset> MakeSoundFontSubset(const std::string& path, const std::set<Preset>& wanted);

// Loads into `synth` the presets `wanted` of the font at `path`, or the whole
// font (`whole` set) when a subset cannot be made. The font's id, or -1.
int LoadSoundFont(fluid_synth_t* synth, fluid_settings_t* settings, const std::string& path,
                  const std::set<Preset>& wanted, bool& whole);

}  // namespace tv
