#pragma once
#include <SDL.h>

namespace tv {

// SDL's parts (video, audio, game controllers) started and stopped one at a
// time: SDL counts them without a lock, and the audio device may start on a
// thread of its own while the window's thread starts the controllers.
// True when the part started (SDL_GetError says why not).
bool StartSdlPart(Uint32 flags);
void StopSdlPart(Uint32 flags);

}  // namespace tv
