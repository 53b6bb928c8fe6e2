#include "platform/toolkit/atlas_text.h"

#include <algorithm>
#include <array>
#include <cstdlib>

#include "platform/toolkit/box_text.h"

namespace tv {
namespace {

constexpr char kMagic[4] = {'T', 'V', 'A', 'T'};
constexpr size_t kHeaderSize = 16;
constexpr int kMaxCell = 512;
constexpr int kMaxStringWidth = 16384;
constexpr uint8_t kBold = 1, kComposes = 2;
enum Token : uint8_t { kZeros = 0, kFull = 1, kLiteral = 2 };

uint32_t Crc32(const uint8_t* data, size_t size) {
  uint32_t crc = 0xFFFFFFFFu;
  for (size_t i = 0; i < size; ++i) {
    crc ^= data[i];
    for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
  }
  return ~crc;
}

void Put8(std::vector<uint8_t>& out, int v) { out.push_back(uint8_t(v)); }
void Put16(std::vector<uint8_t>& out, int v) {
  Put8(out, v & 0xFF);
  Put8(out, (v >> 8) & 0xFF);
}
void Put32(std::vector<uint8_t>& out, uint32_t v) {
  Put16(out, int(v & 0xFFFF));
  Put16(out, int(v >> 16));
}
void PutText(std::vector<uint8_t>& out, const std::string& s) { out.insert(out.end(), s.begin(), s.end()); }

// Bitmap faces are all 0 and 255; anti-aliased edges go out as literals.
void PutMask(std::vector<uint8_t>& out, const std::vector<uint8_t>& a) {
  for (size_t i = 0; i < a.size();) {
    size_t j = i;
    if (a[i] == 0 || a[i] == 255) {
      while (j < a.size() && j - i < 64 && a[j] == a[i]) ++j;
      Put8(out, ((a[i] ? kFull : kZeros) << 6) | int(j - i - 1));
    } else {
      while (j < a.size() && j - i < 64 && a[j] != 0 && a[j] != 255) ++j;
      Put8(out, (kLiteral << 6) | int(j - i - 1));
      out.insert(out.end(), a.begin() + long(i), a.begin() + long(j));
    }
    i = j;
  }
}

// Reads the atlas; every read is checked against the end, and the first
// failure is kept as the reason.
class Reader {
 public:
  Reader(const uint8_t* data, size_t size) : data_(data), size_(size) {}
  bool Ok() const { return why_.empty(); }
  const std::string& Why() const { return why_; }
  bool AtEnd() const { return pos_ == size_; }
  void Fail(const std::string& why) {
    if (why_.empty()) why_ = why;
  }
  int U8() { return Has(1) ? data_[pos_++] : 0; }
  int U16() {
    int lo = U8();
    return lo | (U8() << 8);
  }
  int I16() { return int(int16_t(uint16_t(U16()))); }
  std::string Text(size_t n) {
    if (!Has(n)) return {};
    std::string s(reinterpret_cast<const char*>(data_ + pos_), n);
    pos_ += n;
    return s;
  }
  std::vector<uint8_t> Mask(size_t n) {
    std::vector<uint8_t> a;
    while (Ok() && a.size() < n) {
      int token = U8();
      size_t count = size_t(token & 63) + 1;
      if (!Ok()) break;
      if (count > n - a.size())
        Fail("a mask runs past its size");
      else if (token >> 6 == kZeros)
        a.insert(a.end(), count, 0);
      else if (token >> 6 == kFull)
        a.insert(a.end(), count, 255);
      else if (token >> 6 == kLiteral && Has(count)) {
        a.insert(a.end(), data_ + pos_, data_ + pos_ + count);
        pos_ += count;
      } else
        Fail("a mask has an unknown token");
    }
    return a;
  }

 private:
  bool Has(size_t n) {
    if (Ok() && size_ - pos_ >= n) return true;
    Fail("cut short");
    return false;
  }
  const uint8_t* data_;
  size_t size_;
  size_t pos_ = 0;
  std::string why_;
};

struct AtlasGlyph {
  int advance = 0, left = 0, top = 0;
  TextMask ink;
};

struct AtlasFont {
  FontSpec desc;
  int cellHeight = 0, lineExtra = 0;
  bool composes = false;
  std::array<AtlasGlyph, 256> glyphs;
  std::map<std::string, TextMask> strings;
};

bool ReadFont(Reader& r, AtlasFont& f) {
  f.desc.face = r.Text(size_t(r.U8()));
  f.desc.height = r.I16();
  int flags = r.U8();
  f.desc.bold = flags & kBold;
  f.composes = flags & kComposes;
  f.cellHeight = r.U16();
  f.lineExtra = r.U16();
  int first = r.U8(), count = r.U16();
  if (!r.Ok()) return false;
  if (flags & ~(kBold | kComposes)) r.Fail("a font has unknown flags");
  if (f.cellHeight < 1 || f.cellHeight > kMaxCell) r.Fail("a font's cell height is out of range");
  if (f.lineExtra > kMaxCell) r.Fail("a font's line extra is out of range");
  if (first + count > 256) r.Fail("a font's glyphs run past the code page");
  for (int i = 0; i < count && r.Ok(); ++i) {
    AtlasGlyph& g = f.glyphs[size_t(first + i)];
    g.advance = r.U8();
    g.left = int(int8_t(uint8_t(r.U8())));
    g.top = r.U8();
    g.ink.width = r.U8();
    g.ink.height = r.U8();
    if (r.Ok() && g.top + g.ink.height > f.cellHeight) r.Fail("a glyph lies outside its cell");
    g.ink.alpha = r.Mask(size_t(g.ink.width) * size_t(g.ink.height));
  }
  int strings = r.U16();
  for (int i = 0; i < strings && r.Ok(); ++i) {
    std::string text = r.Text(size_t(r.U16()));
    TextMask m;
    m.width = r.U16();
    m.height = f.cellHeight;
    if (r.Ok() && m.width > kMaxStringWidth) r.Fail("a string is too wide");
    m.alpha = r.Mask(size_t(m.width) * size_t(m.height));
    if (r.Ok() && !f.strings.emplace(std::move(text), std::move(m)).second) r.Fail("a string is there twice");
  }
  return r.Ok();
}

// A face's character height, whichever way the height is given (a positive
// height is the cell, about 13/11 of the character height).
int CharHeight(const FontSpec& desc) {
  int h = RequestedTextHeight(desc);
  return h < 0 ? -h : (h * 11 + 6) / 13;
}

class AtlasTextRenderer : public TextRenderer {
 public:
  explicit AtlasTextRenderer(std::vector<AtlasFont> fonts) : fonts_(std::move(fonts)) {}

  TextMask Render(const FontSpec& font, const std::string& text) override {
    if (fonts_.empty()) return HollowBoxText(font, text);
    const AtlasFont& f = Nearest(font);
    auto whole = f.strings.find(text);
    if (whole != f.strings.end()) return whole->second;
    TextMask m;
    m.height = f.cellHeight;
    m.width = f.lineExtra;
    for (char c : text) m.width += f.glyphs[uint8_t(c)].advance;
    m.alpha.assign(size_t(m.width) * size_t(m.height), 0);
    int pen = 0;
    for (char c : text) {
      const AtlasGlyph& g = f.glyphs[uint8_t(c)];
      for (int y = 0; y < g.ink.height; ++y)
        for (int x = 0; x < g.ink.width; ++x) {
          int tx = pen + g.left + x;
          if (tx < 0 || tx >= m.width) continue;
          uint8_t& dst = m.alpha[size_t(g.top + y) * size_t(m.width) + size_t(tx)];
          dst = std::max(dst, g.ink.alpha[size_t(y) * size_t(g.ink.width) + size_t(x)]);
        }
      pen += g.advance;
    }
    return m;
  }

 private:
  // The same face first, then the same weight, then the nearest size. A face
  // the atlas lacks is drawn on Linux by an outline face, so an outline one
  // (a font not composed glyph by glyph) is nearer to it than a bitmap one.
  const AtlasFont& Nearest(const FontSpec& wanted) const {
    const AtlasFont* best = &fonts_.front();
    long bestScore = -1;
    for (const AtlasFont& f : fonts_) {
      long score = std::abs(CharHeight(f.desc) - CharHeight(wanted));
      if (f.desc.bold != wanted.bold) score += 1000;
      if (f.desc.face != wanted.face) score += f.composes ? 20000 : 10000;
      if (bestScore < 0 || score < bestScore) best = &f, bestScore = score;
    }
    return *best;
  }

  std::vector<AtlasFont> fonts_;
};

}  // namespace

int AtlasWriter::AddFont(const FontSpec& desc, int cellHeight, int lineExtra, bool composes) {
  Font f;
  f.desc = desc;
  f.cellHeight = cellHeight;
  f.lineExtra = lineExtra;
  f.composes = composes;
  fonts_.push_back(std::move(f));
  return int(fonts_.size()) - 1;
}

void AtlasWriter::AddGlyph(int font, uint8_t byte, int advance, const TextMask& rendered, int penX) {
  int x0 = rendered.width, y0 = rendered.height, x1 = -1, y1 = -1;
  for (int y = 0; y < rendered.height; ++y)
    for (int x = 0; x < rendered.width; ++x)
      if (rendered.alpha[size_t(y) * size_t(rendered.width) + size_t(x)])
        x0 = std::min(x0, x), x1 = std::max(x1, x), y0 = std::min(y0, y), y1 = std::max(y1, y);
  Glyph g;
  g.advance = advance;
  if (x1 >= 0) {
    g.left = x0 - penX;
    g.top = y0;
    g.ink.width = x1 - x0 + 1;
    g.ink.height = y1 - y0 + 1;
    for (int y = y0; y <= y1; ++y) {
      auto row = rendered.alpha.begin() + long(y) * rendered.width;
      g.ink.alpha.insert(g.ink.alpha.end(), row + x0, row + x1 + 1);
    }
  }
  fonts_.at(size_t(font)).glyphs[byte] = std::move(g);
}

void AtlasWriter::AddString(int font, const std::string& text, const TextMask& mask) {
  fonts_.at(size_t(font)).strings[text] = mask;
}

bool AtlasWriter::Write(std::vector<uint8_t>& out, std::string& why) const {
  const auto fits = [&](bool ok, const char* what) {
    if (!ok && why.empty()) why = what;
    return ok;
  };
  why.clear();
  std::vector<uint8_t> p;
  fits(fonts_.size() <= 0xFFFF, "too many fonts");
  for (const Font& f : fonts_) {
    fits(f.desc.face.size() <= 255, "a face's name is too long");
    fits(f.desc.height >= -32768 && f.desc.height <= 32767, "a font's height is out of range");
    fits(f.cellHeight >= 1 && f.cellHeight <= kMaxCell, "a font's cell height is out of range");
    fits(f.lineExtra >= 0 && f.lineExtra <= kMaxCell, "a font's line extra is out of range");
    Put8(p, int(f.desc.face.size()));
    PutText(p, f.desc.face);
    Put16(p, f.desc.height);
    Put8(p, (f.desc.bold ? kBold : 0) | (f.composes ? kComposes : 0));
    Put16(p, f.cellHeight);
    Put16(p, f.lineExtra);
    int first = f.glyphs.empty() ? 0 : f.glyphs.begin()->first;
    int count = f.glyphs.empty() ? 0 : f.glyphs.rbegin()->first - first + 1;
    Put8(p, first);
    Put16(p, count);
    for (int b = first; b < first + count; ++b) {
      auto it = f.glyphs.find(uint8_t(b));
      const Glyph g = it == f.glyphs.end() ? Glyph{} : it->second;
      fits(g.advance >= 0 && g.advance <= 255, "a glyph's advance is out of range");
      fits(g.left >= -128 && g.left <= 127 && g.top >= 0 && g.ink.width <= 255 && g.ink.height <= 255 &&
               g.top + g.ink.height <= f.cellHeight,
           "a glyph's ink is out of range");
      for (int v : {g.advance, g.left, g.top, g.ink.width, g.ink.height}) Put8(p, v & 0xFF);
      PutMask(p, g.ink.alpha);
    }
    fits(f.strings.size() <= 0xFFFF, "too many strings");
    Put16(p, int(f.strings.size()));
    for (const auto& [text, m] : f.strings) {
      fits(text.size() <= 0xFFFF, "a string is too long");
      fits(m.height == f.cellHeight && m.width <= kMaxStringWidth, "a string's mask does not fit its font");
      Put16(p, int(text.size()));
      PutText(p, text);
      Put16(p, m.width);
      PutMask(p, m.alpha);
    }
  }
  if (!why.empty()) return false;
  out.assign(kMagic, kMagic + 4);
  Put16(out, kAtlasVersion);
  Put16(out, int(fonts_.size()));
  out.resize(kHeaderSize);
  out.insert(out.end(), p.begin(), p.end());
  SealAtlas(out);
  return true;
}

void SealAtlas(std::vector<uint8_t>& atlas) {
  if (atlas.size() < kHeaderSize) return;
  std::vector<uint8_t> seal;
  Put32(seal, uint32_t(atlas.size() - kHeaderSize));
  Put32(seal, Crc32(atlas.data() + kHeaderSize, atlas.size() - kHeaderSize));
  std::copy(seal.begin(), seal.end(), atlas.begin() + 8);
}

std::unique_ptr<TextRenderer> LoadAtlasText(const std::vector<uint8_t>& bytes, std::string& why) {
  why.clear();
  if (bytes.size() < kHeaderSize || !std::equal(kMagic, kMagic + 4, bytes.begin())) {
    why = "not a glyph atlas";
    return nullptr;
  }
  Reader header(bytes.data() + 4, kHeaderSize - 4);
  int version = header.U16(), fontCount = header.U16();
  uint32_t size = uint32_t(header.U16()) | uint32_t(header.U16()) << 16;
  uint32_t crc = uint32_t(header.U16()) | uint32_t(header.U16()) << 16;
  if (version != kAtlasVersion) {
    why = "a glyph atlas of version " + std::to_string(version) + ", not " + std::to_string(kAtlasVersion);
    return nullptr;
  }
  if (bytes.size() - kHeaderSize != size) {
    why = bytes.size() - kHeaderSize < size ? "cut short" : "followed by stray bytes";
    return nullptr;
  }
  if (Crc32(bytes.data() + kHeaderSize, size) != crc) {
    why = "damaged (its checksum does not match)";
    return nullptr;
  }
  Reader r(bytes.data() + kHeaderSize, size);
  // Font by font: a count no payload could hold stops at the payload's end.
  std::vector<AtlasFont> fonts;
  for (int i = 0; i < fontCount && r.Ok(); ++i) ReadFont(r, fonts.emplace_back());
  if (r.Ok() && !r.AtEnd()) r.Fail("stray bytes after its fonts");
  if (!r.Ok()) {
    why = "damaged: " + r.Why();
    return nullptr;
  }
  return std::make_unique<AtlasTextRenderer>(std::move(fonts));
}

}  // namespace tv
