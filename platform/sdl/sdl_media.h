#pragma once
#include <memory>

#include "platform/media_control.h"

namespace tv {

// The media control layer of the real machine: MIDI files rendered by
// FluidSynth, wave files decoded by libsndfile, both played on the one audio
// device, one sound at a time. Notices go to `post` from whichever thread
// sees the end (the audio thread for a piece that runs out).
std::unique_ptr<MediaControl> MakeSdlMediaControl(MediaPostSink post);

// Loads the MIDI synthesiser and its sound font; may run on a thread of its
// own while the window starts, so the first picture does not wait for them.
void PrepareSdlMusic();

}  // namespace tv
