#pragma once
#include <string>

#include "platform/bitmap.h"

// The one PNG writer: the headless backend's screenshots, the end-to-end
// tests' pictures and the program's icon files.
namespace tv {

// Writes the picture as an 8-bit RGB PNG; false when the file cannot be written.
bool SavePng(const Bitmap& picture, const std::string& path);
// Writes a 0xAARRGGBB picture as an 8-bit RGBA PNG, keeping its transparency.
bool SavePng(const ArgbImage& picture, const std::string& path);

}  // namespace tv
