#pragma once
#include <cstddef>
#include <cstdint>

#include "platform/base/bitmap.h"
#include "platform/files/bmp_header.h"

namespace tv {

// Expands an RLE8 or RLE4 bitmap file whose headers CheckBmpHeader passed
// (`header`) as SDL's reader does, for a decoder that does not do it the same
// way (WIC under Wine leaves the pixels a file skips unset). Pixels a file
// never sets have the palette's first colour; a run goes on past its row's end
// into the memory of SDL's surface (rows padded to four bytes), dropped only
// beyond the picture; data that ends before its end-of-bitmap mark, or an index
// beyond the palette, is not valid (BitmapNotValid).
Bitmap ExpandRunLengthBmp(const uint8_t* data, size_t size, const BmpHeader& header);

}  // namespace tv
