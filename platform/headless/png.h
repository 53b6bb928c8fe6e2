#pragma once
#include <string>

#include "platform/bitmap.h"

namespace tv {

// Writes the picture as an 8-bit RGB PNG; false when the file cannot be written.
bool SavePng(const Bitmap& picture, const std::string& path);

}  // namespace tv
