#pragma once
#include <cstddef>
#include <cstdint>

#include "platform/base/bitmap.h"

namespace tv {

// Decodes a bitmap file's bytes with the Windows Imaging Component after
// checking its headers; throws EInvalidGraphic as SDL's reader does
// (platform/sdl/sdl_bmp.h), and gives the same pixels.
Bitmap DecodeWicBmp(const uint8_t* data, size_t size);

// Makes WIC's reader the toolkit's bitmap decoder (see platform/files/picture_file.h).
void InstallWicBitmapDecoder();

}  // namespace tv
