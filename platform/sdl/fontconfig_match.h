#pragma once
#include <functional>
#include <optional>
#include <string>

#include "platform/sdl/font_file.h"

namespace tv {

// The free bitmap "MS Sans Serif" of the wine fonts, by path: fontconfig does not list it.
std::optional<FontFile> BitmapSansSerifFile();

// The outline face fontconfig picks for a family (its nearest substitute when
// the family is missing), given to `opens`, which opens it or says it cannot.
// Nothing when fontconfig has no outline face at all. An answer that does not
// open is not kept; a kept one that no longer does (its file damaged with its
// size and time unchanged) is dropped, and fontconfig asked instead.
std::optional<FontFile> MatchOutlineFont(const std::string& family, bool bold,
                                         const std::function<bool(const FontFile&)>& opens);

// Reads fontconfig's configuration ahead of the first match, unless the
// answers kept from an earlier start still hold (FontMatchCache); may run on
// a thread of its own while the window starts (a match waits for it).
void PrepareFontMatching();
// Lets the configuration go once start-up's matches are done; a later match
// reads it again.
void ReleaseFontMatching();

}  // namespace tv
