#pragma once
#include <string>

#include "platform/base/bitmap.h"

// The one BMP writer: the level pictures beside the program and the tests'
// picture files.
namespace tv {

// The picture as a plain 24-bit Windows bitmap: the 40-byte info header (no
// resolution, no palette), rows bottom-up, each padded with zeros to 4 bytes.
std::string BmpBytes(const Bitmap& picture);

}  // namespace tv
