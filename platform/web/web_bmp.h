#pragma once
#include <cstddef>
#include <cstdint>

#include "platform/base/bitmap.h"

namespace tv {

// Decodes a bitmap file's bytes with the browser after checking its headers
// (platform/files/bmp_header.h); run-length files are expanded by the game
// itself, as on Windows. Throws EInvalidGraphic as SDL's reader does.
Bitmap DecodeWebBmp(const uint8_t* data, size_t size);

// Makes the browser's reader the toolkit's bitmap decoder.
void InstallWebBitmapDecoder();

}  // namespace tv
