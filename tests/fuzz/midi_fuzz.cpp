// libFuzzer entry: any bytes given to the MIDI reader are refused or come back
// as a clean file that FluidSynth's player takes and renders without fault.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "platform/sound/media_files.h"
#include "platform/fluidsynth/synth.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<uint8_t> bytes(data, data + size);
  uint32_t ms = 0;
  if (tv::ParseMidi(bytes, ms) != tv::FileCheck::Ok) return 0;
  // What the reader gives out reads back as itself.
  std::vector<uint8_t> again = bytes;
  uint32_t ms2 = 0;
  if (tv::ParseMidi(again, ms2) != tv::FileCheck::Ok || again != bytes || ms2 != ms) std::abort();
  // One synthesiser for the whole run, as in the game; no audio thread renders it.
  static tv::Synth synth;
  auto seq = tv::MidiSequence::Create(synth, std::move(bytes));
  if (!seq) std::abort();  // the sound font is there: the player must take the file
  seq->Start();
  static float out[2 * 512];
  for (int block = 0; block < 4; ++block) {
    for (float& v : out) v = 0;
    seq->RenderInto(out, 512);
    for (float v : out)
      if (!std::isfinite(v)) std::abort();
  }
  seq->Stop();
  return 0;
}
