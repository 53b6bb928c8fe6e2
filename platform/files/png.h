#pragma once
#include <string>

#include "platform/base/bitmap.h"

// The one PNG writer: the headless backend's screenshots, the end-to-end
// tests' pictures and the program's icon files.
namespace tv {

// Writes the picture as an 8-bit RGB PNG. Returns 0, or the errno value that
// says why the file could not be written (the open's, a write's or the
// close's; EINVAL for a picture without pixels; ELIBACC when libpng cannot be
// loaded, which alone is also said once on stderr). Nothing else is printed.
[[nodiscard]] int SavePng(const Bitmap& picture, const std::string& path);
// Writes a 0xAARRGGBB picture as an 8-bit RGBA PNG, keeping its transparency.
[[nodiscard]] int SavePng(const ArgbImage& picture, const std::string& path);

}  // namespace tv
