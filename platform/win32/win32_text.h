#pragma once
#include <memory>

#include "platform/base/text.h"

namespace tv {

// Text drawn by GDI into a bitmap of the program's own and read back as
// coverage, with the Linux renderer's cells, widths and bold: the bitmap
// "MS Sans Serif" of the labels and boxes, the outline faces smoothed.
std::unique_ptr<TextRenderer> MakeGdiTextRenderer();

}  // namespace tv
