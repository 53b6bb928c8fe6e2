#pragma once
#include <atomic>
#include <memory>

#include "platform/base/require.h"
#include "platform/fluidsynth/synth.h"
#include "platform/sound/audio_device.h"
#include "platform/sound/media_control.h"

namespace tv {

// The program's sound: the one audio device (a mixer over the output the
// backend supplies) and the one synthesiser, owned by the program's machine
// (or by a test or a bench), never by a static. Making it costs nothing: the
// device opens at the first sound, the synthesiser at the first piece without
// its recording (or on a start-up thread, PrepareGameMusic).
//
// Destroyed in this order: the media control layers made over it
// (MakeGameMediaControl) first, as their voice and sequences sit on both; then
// the synthesiser, which no audio callback renders any more; the audio device
// last, since its thread may run until then (the beep, a ring) and its
// mixer's lock guards every step before. The members are declared in the
// reverse order; the layers are the owner's to destroy first.
struct GameSound {
  explicit GameSound(std::unique_ptr<AudioOutput> output) : device(std::move(output)) {}
  ~GameSound() { Require(layers.load() == 0, "a media control layer outlives the sound it plays on"); }
  GameSound(const GameSound&) = delete;
  GameSound& operator=(const GameSound&) = delete;

  AudioDevice device;
  Synth synth;
  std::atomic<int> layers{0};  // media control layers alive on this sound
};

// The media control layer of the game on `sound`: MIDI files played from their
// recordings beside the program (platform/sound/recorded_music.h) or, without
// one, rendered by the synthesiser as they play; wave files decoded by
// libsndfile, both played on the one audio device, one sound at a time.
// Notices go to `post` from whichever thread sees the end (the audio thread
// for a piece that runs out). Destroy it before `sound`.
std::unique_ptr<MediaControl> MakeGameMediaControl(GameSound& sound, MediaPostSink post);

// Loads the synthesiser and its sound font unless every piece beside the
// program has its recording; may run on a thread of its own while the window
// starts, so the first picture does not wait for them.
void PrepareGameMusic(GameSound& sound);

}  // namespace tv
