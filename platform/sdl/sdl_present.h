#pragma once
#include <SDL.h>

#include <vector>

#include "platform/base/bitmap.h"
#include "platform/base/types.h"

namespace tv {

// Where the picture lies on a window's surface: every pixel a scale x scale
// block, the picture's top left corner at (x, y).
struct View {
  int scale = 1, x = 0, y = 0;
};

// The largest scale from 1 to maxScale at which a window of the picture's size
// times that scale takes at most four fifths of the display's usable width and
// height: room around it for its frame, the panels and the player's other windows.
int ScaleToFit(int usableW, int usableH, int pictureW, int pictureH, int maxScale);

// The picture at the largest whole scale the surface holds (1 when even that
// does not fit), centred: a fullscreen window shows it so, black around it.
View CentredView(int surfaceW, int surfaceH, int pictureW, int pictureH);

// A window pixel back to the picture's pixel it shows; floor, so the pointer
// left of or above the picture stays outside it.
inline int Unscaled(int v, int scale) { return v >= 0 ? v / scale : -((-v + scale - 1) / scale); }

// Copies the given rectangles of a 0x00RRGGBB picture to the window's own
// surface (converting when its format differs) and shows just those, or with
// `wholeWindow` the whole surface (the black around the picture included).
// Each pixel of the picture becomes a block as `view` says. False when the
// window has no surface to draw on or SDL could not show it.
bool PresentToWindow(SDL_Window* window, const Bitmap& picture, const std::vector<Rect>& rects,
                     View view = {}, bool wholeWindow = false);

}  // namespace tv
