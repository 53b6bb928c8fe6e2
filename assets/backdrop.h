#pragma once
#include <cstdint>
#include <span>

#include "platform/base/bitmap.h"

namespace tv {

// The backdrop photograph of the Earth seen from orbit, 593 x 402, decoded
// from the JPEG built into the program on first use and kept for the run.
// Throws Exception, with a text for the player, when libjpeg cannot be loaded
// or used; a later call tries again.
const Bitmap& BackdropPicture();

// The JPEG file as built into the program.
std::span<const uint8_t> BackdropJpeg();

}  // namespace tv
