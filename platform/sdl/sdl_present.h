#pragma once
#include <SDL.h>

#include <vector>

#include "platform/base/bitmap.h"
#include "platform/base/types.h"
#include "platform/toolkit/view.h"

namespace tv {

// Copies the given rectangles of a 0x00RRGGBB picture to the window's own
// surface (converting when its format differs) and shows just those, or with
// `wholeWindow` the whole surface (the black around the picture included).
// Each pixel of the picture becomes a block as `view` says. False when the
// window has no surface to draw on or SDL could not show it.
bool PresentToWindow(SDL_Window* window, const Bitmap& picture, const std::vector<Rect>& rects,
                     View view = {}, bool wholeWindow = false);

}  // namespace tv
