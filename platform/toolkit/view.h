#pragma once
#include <optional>
#include <string_view>

namespace tv {

// The largest scale of the window: every pixel of the picture a 4 x 4 block.
inline constexpr int kMaxScale = 4;

// A scale as the player writes it (--scale, TARVOLEN_SCALE, the settings file):
// one digit from 1 to kMaxScale, nothing else (no sign, no spaces, no "2x").
std::optional<int> ParseScale(std::string_view text);

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

}  // namespace tv
