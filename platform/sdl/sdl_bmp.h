#pragma once
#include <cstddef>
#include <cstdint>

#include "platform/base/bitmap.h"

namespace tv {

// Decodes a bitmap file's bytes with SDL_LoadBMP after checking its headers;
// throws EInvalidGraphic. The toolkit's DecodeBitmap, once installed.
Bitmap DecodeBmp(const uint8_t* data, size_t size);

// Makes SDL's reader the toolkit's bitmap decoder (see platform/files/picture_file.h).
void InstallSdlBitmapDecoder();

}  // namespace tv
