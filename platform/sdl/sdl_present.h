#pragma once
#include <SDL.h>

#include <vector>

#include "platform/base/bitmap.h"
#include "platform/base/types.h"

namespace tv {

// Copies the given rectangles of a 0x00RRGGBB picture to the window's own
// surface (converting when its format differs) and shows just those. With
// `scale` N every pixel of the picture becomes an N x N block of the window.
// False when the window has no surface to draw on.
bool PresentToWindow(SDL_Window* window, const Bitmap& picture, const std::vector<Rect>& rects, int scale = 1);

}  // namespace tv
