#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "platform/base/text.h"

namespace tv {

// Writes the glyph atlas (atlas_text.h) of `fonts` as `source` draws them: a
// glyph for every byte of the code page, and each of `texts` whole in a font
// whose glyphs alone do not make it up exactly. The atlas is read back and
// held to `source` before it is given: false, with the reason in `report`,
// when one of `texts` would still come out otherwise. `report` says per font
// whether its glyphs make up any string and how many texts are kept whole.
bool CaptureAtlas(TextRenderer& source, const std::vector<FontSpec>& fonts,
                  const std::vector<std::string>& texts, std::vector<uint8_t>& atlas, std::string& report);

bool SameMask(const TextMask& a, const TextMask& b);

}  // namespace tv
