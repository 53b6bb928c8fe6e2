#pragma once
#include <atomic>
#include <cassert>

#include "platform/fluidsynth/synth.h"
#include "platform/sdl/sdl_audio.h"

namespace tv {

// The program's sound on the real machine: the one audio device (and its
// mixer) and the one synthesiser, owned by main (or by a test or a bench),
// never by a static. Making it costs nothing: the device opens at the first
// sound, the synthesiser at the first piece without its recording (or on
// main's start-up thread).
//
// Destroyed in this order: the media control layers made over it
// (MakeSdlMediaControl) first, as their voice and sequences sit on both; then
// the synthesiser, which no audio callback renders any more; the audio device
// last, since its thread may run until then (the beep, a ring) and its
// mixer's lock guards every step before. The members are declared in the
// reverse order; the layers are the owner's to destroy first.
struct SdlSound {
  SdlSound() = default;
  ~SdlSound() { assert(layers.load() == 0 && "a media control layer outlives the sound it plays on"); }
  SdlSound(const SdlSound&) = delete;
  SdlSound& operator=(const SdlSound&) = delete;

  AudioDevice device;
  Synth synth;
  std::atomic<int> layers{0};  // media control layers alive on this sound
};

}  // namespace tv
