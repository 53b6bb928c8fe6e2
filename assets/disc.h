#pragma once
#include "platform/base/bitmap.h"

namespace tv {

// The right-hand launcher's shape: a filled disc `side` pixels across, centred
// in a white square and touching its four edges. When `rim` is set, the disc's
// boundary pixels (those with a left, right, upper or lower neighbour outside
// the disc) are light grey. The corners always lie outside, so the bottom-left
// pixel is white.
Bitmap DiscPicture(int side, Pixel fill, bool rim);

// The campaign's levels and the launcher picture shipped for each of them.
constexpr int kLevelCount = 8;
// Side length of the right-hand launcher at `level` (1..kLevelCount).
int LevelSide(int level);
// Its colour: green at level 1, warming through yellow and orange to red.
Pixel LevelColour(int level);
// The picture written to "<level>.bmp".
Bitmap LevelPicture(int level);

}  // namespace tv
