#include "platform/toolkit/atlas_capture.h"

#include <algorithm>
#include <memory>
#include <random>

#include "platform/toolkit/atlas_text.h"

namespace tv {
namespace {

// Strings of random bytes besides the given texts: a face whose glyphs make
// up all of them is taken to compose every string, as a bitmap face drawn
// glyph by glyph does. Seeded, so the atlas is the same at every build.
constexpr int kSamples = 300;
constexpr int kSampleLength = 24;

struct CapturedGlyph {
  int advance = 0;
  TextMask rendered;
  int penX = 0;
};

struct CapturedFont {
  int cellHeight = 0, lineExtra = 0;
  std::vector<CapturedGlyph> glyphs;  // one per byte, 0..255
  bool composes = false;
  std::vector<std::string> whole;  // texts kept as they are
};

bool HasInk(const TextMask& m) {
  return std::any_of(m.alpha.begin(), m.alpha.end(), [](uint8_t a) { return a != 0; });
}

// Each glyph between blanks wide enough for any overhang, so that ink reaching
// past its advance, to either side, is kept.
CapturedFont CaptureGlyphs(TextRenderer& source, const FontSpec& font) {
  CapturedFont f;
  TextMask empty = source.Render(font, "");
  f.cellHeight = empty.height;
  f.lineExtra = empty.width;
  int space = source.Render(font, " ").width - f.lineExtra;
  bool blank = space > 0 && !HasInk(source.Render(font, std::string(8, ' ')));
  std::string pad(blank ? size_t((2 * f.cellHeight + space - 1) / space) : 0, ' ');
  for (int b = 0; b < 256; ++b) {
    CapturedGlyph g;
    const std::string one(1, char(b));
    g.advance = source.Render(font, one).width - f.lineExtra;
    g.rendered = source.Render(font, pad + one + pad);
    g.penX = int(pad.size()) * space;
    f.glyphs.push_back(std::move(g));
  }
  return f;
}

bool WriteAtlas(const std::vector<FontSpec>& fonts, const std::vector<CapturedFont>& captured,
                TextRenderer& source, std::vector<uint8_t>& atlas, std::string& why) {
  AtlasWriter writer;
  for (size_t i = 0; i < fonts.size(); ++i) {
    const CapturedFont& c = captured[i];
    int f = writer.AddFont(fonts[i], c.cellHeight, c.lineExtra, c.composes);
    for (int b = 0; b < 256; ++b) {
      const CapturedGlyph& g = c.glyphs[size_t(b)];
      writer.AddGlyph(f, uint8_t(b), g.advance, g.rendered, g.penX);
    }
    for (const std::string& text : c.whole) writer.AddString(f, text, source.Render(fonts[i], text));
  }
  return writer.Write(atlas, why);
}

std::string Describe(const FontSpec& font) {
  return font.face + " " + std::to_string(font.height) + (font.bold ? " bold" : "");
}

}  // namespace

bool SameMask(const TextMask& a, const TextMask& b) {
  return a.width == b.width && a.height == b.height && a.alpha == b.alpha;
}

bool CaptureAtlas(TextRenderer& source, const std::vector<FontSpec>& fonts,
                  const std::vector<std::string>& texts, std::vector<uint8_t>& atlas, std::string& report) {
  report.clear();
  std::vector<CapturedFont> captured;
  for (const FontSpec& font : fonts) captured.push_back(CaptureGlyphs(source, font));

  // Glyphs alone first; then what they do not make up is kept whole.
  std::string why;
  if (!WriteAtlas(fonts, captured, source, atlas, why)) return report = why, false;
  std::unique_ptr<TextRenderer> draft = LoadAtlasText(atlas, why);
  if (!draft) return report = "the atlas written does not read back: " + why, false;
  std::mt19937 random(1);
  std::uniform_int_distribution<int> length(1, kSampleLength), byte(1, 255);
  for (size_t i = 0; i < fonts.size(); ++i) {
    CapturedFont& c = captured[i];
    for (const std::string& text : texts)
      if (!SameMask(draft->Render(fonts[i], text), source.Render(fonts[i], text))) c.whole.push_back(text);
    c.composes = c.whole.empty();
    for (int n = 0; n < kSamples && c.composes; ++n) {
      std::string sample(size_t(length(random)), ' ');
      for (char& ch : sample) ch = char(byte(random));
      c.composes = SameMask(draft->Render(fonts[i], sample), source.Render(fonts[i], sample));
    }
  }

  if (!WriteAtlas(fonts, captured, source, atlas, why)) return report = why, false;
  std::unique_ptr<TextRenderer> kept = LoadAtlasText(atlas, why);
  if (!kept) return report = "the atlas written does not read back: " + why, false;
  for (size_t i = 0; i < fonts.size(); ++i) {
    for (const std::string& text : texts)
      if (!SameMask(kept->Render(fonts[i], text), source.Render(fonts[i], text)))
        return report = "\"" + text + "\" in " + Describe(fonts[i]) + " comes out otherwise from the atlas",
               false;
    report += Describe(fonts[i]) + ": " +
              (captured[i].composes ? "its glyphs make up any string"
                                    : std::to_string(captured[i].whole.size()) + " of " +
                                          std::to_string(texts.size()) + " texts kept whole") +
              "\n";
  }
  return true;
}

}  // namespace tv
