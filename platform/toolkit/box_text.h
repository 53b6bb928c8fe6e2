#pragma once
#include <string>

#include "platform/base/text.h"

namespace tv {

// A sane bound on the height a caller may ask any text renderer for.
inline constexpr int kMaxTextHeight = 400;

// The height asked for, 0 taken as the default size and clamped to the bound.
int RequestedTextHeight(const FontSpec& wanted);

// Text without a font: hollow boxes in a cell of about the asked size, so that
// labels keep a size and the program goes on. The SDL renderer draws them when
// no face opens, and the glyph atlas when it holds no font.
TextMask HollowBoxText(const FontSpec& wanted, const std::string& text);

}  // namespace tv
