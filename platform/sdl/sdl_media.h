#pragma once
#include <memory>

#include "platform/sound/media_control.h"

namespace tv {

// The media control layer of the real machine: MIDI files played from their
// recordings beside the program (platform/sound/recorded_music.h) or, without one,
// rendered by FluidSynth as they play; wave files decoded by libsndfile, both played on the one audio
// device, one sound at a time. Notices go to `post` from whichever thread
// sees the end (the audio thread for a piece that runs out).
std::unique_ptr<MediaControl> MakeSdlMediaControl(MediaPostSink post);

// Loads the MIDI synthesiser and its sound font unless every piece beside the
// program has its recording; may run on a thread of its own while the window
// starts, so the first picture does not wait for them.
void PrepareSdlMusic();

}  // namespace tv
