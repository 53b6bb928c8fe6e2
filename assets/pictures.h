#pragma once
#include "platform/base/bitmap.h"

namespace tv {

// The small pictures built into the program, drawn from their pixel tables.
// Each has a white bottom-left pixel, so white is what a transparent picture
// widget leaves out.

// The left-hand launcher: a grey pod, 16 x 16.
Bitmap LeftLauncherPicture();
// The ball of either side: yellow with a black outline, 7 x 7.
Bitmap BallPicture();
// The right-hand launcher before a level picture replaces it: a green disc
// 128 pixels across with a light grey rim.
Bitmap RightLauncherPicture();
// The window icon: a grey planet and a yellow ball, 24 x 24, 0xAARRGGBB.
ArgbImage ProgramIcon();

}  // namespace tv
