#pragma once
#include <memory>

#include "platform/sdl/sdl_sound.h"
#include "platform/sound/media_control.h"

namespace tv {

// The media control layer of the real machine on `sound`: MIDI files played
// from their recordings beside the program (platform/sound/recorded_music.h)
// or, without one, rendered by the synthesiser as they play; wave files
// decoded by libsndfile, both played on the one audio device, one sound at a
// time. Notices go to `post` from whichever thread sees the end (the audio
// thread for a piece that runs out). Destroy it before `sound`.
std::unique_ptr<MediaControl> MakeSdlMediaControl(SdlSound& sound, MediaPostSink post);

// Loads the synthesiser and its sound font unless every piece beside the
// program has its recording; may run on a thread of its own while the window
// starts, so the first picture does not wait for them.
void PrepareSdlMusic(SdlSound& sound);

}  // namespace tv
