#pragma once
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/base/text.h"

namespace tv {

// A glyph atlas: the Linux program's text as data, for a machine without a
// font library (the web build). Each font keeps a glyph for every byte of the
// code page, placed at the pen and combined by maximum, which reproduces a
// face rendered glyph by glyph exactly; strings a face renders otherwise
// (kerning, anti-aliasing across glyphs) are kept whole.
//
// The file, little-endian:
//   "TVAT" u16 version u16 fonts u32 payload bytes u32 CRC-32 of the payload
//   payload, per font:
//     u8 face length, face, i16 height, u8 flags (1 bold, 2 composes), u16 cell height,
//     u16 line extra, u8 first byte, u16 glyph count,
//     per glyph: u8 advance, i8 left, u8 top, u8 width, u8 height, mask
//     u16 string count, per string: u16 length, text, u16 width, mask (cell height rows)
//   A mask is run-length coded: a token's top two bits say 0 (a run of zeros),
//   1 (a run of 255) or 2 (literal bytes follow), its low six bits the count less one.
inline constexpr uint16_t kAtlasVersion = 1;

// Collects fonts, glyphs and whole strings, and writes the atlas.
class AtlasWriter {
 public:
  // `cellHeight` is every mask's height in this font; `lineExtra` the width a
  // line has beyond its glyphs' advances (a bold bitmap face's overhang);
  // `composes` that glyphs make up any string of this font exactly.
  int AddFont(const FontSpec& desc, int cellHeight, int lineExtra, bool composes);
  // The glyph of `byte` as `rendered` shows it with its pen at `penX`: the ink
  // is cropped to what the glyph covers.
  void AddGlyph(int font, uint8_t byte, int advance, const TextMask& rendered, int penX);
  void AddString(int font, const std::string& text, const TextMask& mask);
  // The atlas; false with `why` when something does not fit the format.
  bool Write(std::vector<uint8_t>& out, std::string& why) const;

 private:
  struct Glyph {
    int advance = 0, left = 0, top = 0;
    TextMask ink;
  };
  struct Font {
    FontSpec desc;
    int cellHeight = 0, lineExtra = 0;
    bool composes = false;
    std::map<uint8_t, Glyph> glyphs;
    std::map<std::string, TextMask> strings;
  };
  std::vector<Font> fonts_;
};

// Writes the header's payload size and checksum for the bytes that follow it.
void SealAtlas(std::vector<uint8_t>& atlas);

// A renderer over an atlas's bytes; null, with `why`, for an atlas that is
// damaged, cut short or of another version. A font the atlas lacks is drawn
// in its nearest one, and with no font at all as hollow boxes.
std::unique_ptr<TextRenderer> LoadAtlasText(const std::vector<uint8_t>& bytes, std::string& why);

}  // namespace tv
