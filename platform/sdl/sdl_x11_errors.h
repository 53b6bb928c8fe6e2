#pragma once
#include <SDL.h>

namespace tv {

// SDL wakes a waiting event loop by sending an X message to one of the
// program's windows from whatever thread posts an event. If that window is
// destroyed meanwhile, the X server answers BadWindow, and Xlib's handler ends
// the program. Box windows are therefore never destroyed while the program
// runs (see BoxWindowPool); at shutdown every window is destroyed through
// DestroyWindowQuietly, and the filter drops exactly that answer for exactly
// those windows. Every other X error goes on to the handler that was there.

// Before SDL's video starts, so that SDL's own handler, and the one it puts
// back when it closes its displays, pass errors on to the filter.
void InstallX11ErrorFilter();

void DestroyWindowQuietly(SDL_Window* window);

}  // namespace tv
