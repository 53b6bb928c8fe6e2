#include "platform/win32/win32_text.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "platform/files/windows_api.h"
#include "platform/toolkit/box_text.h"
#include "platform/toolkit/codepage.h"

namespace tv {
namespace {


struct GdiFont {
  HFONT font = nullptr;
  bool bitmap = false;         // not TrueType: drawn by GDI as it stands, never smoothed
  bool syntheticBold = false;  // raster bold: drawn twice, one pixel apart
  int cell = 0;                // the mask's height: the face's ascent and descent
  int ascent = 0;
};

class GdiTextRenderer : public TextRenderer {
 public:
  GdiTextRenderer() : dc_(::CreateCompatibleDC(nullptr)) {}

  ~GdiTextRenderer() override {
    if (dc_) ::SelectObject(dc_, ::GetStockObject(SYSTEM_FONT));
    for (auto& [key, f] : fonts_)
      if (f.font) ::DeleteObject(f.font);
    if (dc_ && bitmap_) ::SelectObject(dc_, oldBitmap_);
    if (bitmap_) ::DeleteObject(bitmap_);
    if (dc_) ::DeleteDC(dc_);
  }

  TextMask Render(const FontSpec& wanted, const std::string& text) override {
    const GdiFont& f = Font(wanted);
    if (!f.font) return HollowBoxText(wanted, text);
    // The game's strings are in the Western code page, mapped as the Linux
    // renderer maps them (an undefined byte draws U+FFFD there too).
    const std::wstring wide = Wide(Cp1252ToUtf8(text));
    ::SelectObject(dc_, f.font);
    if (!f.bitmap) return RenderOutline(f, wide);
    TextMask m;
    m.height = f.cell;
    const int n = int(wide.size());
    // The strike's own advances, each widened by one for bold, plus one pixel
    // of overhang for the line: the Linux renderer's bold, and what the
    // layout's "Turn:" (31 pixels) is placed by.
    std::vector<INT> dx(size_t(n), 0);
    SIZE size{};
    if (n > 0 && ::GetTextExtentExPointW(dc_, wide.c_str(), n, 0, nullptr, dx.data(), &size)) {
      const int extra = f.syntheticBold ? 1 : 0;
      for (int i = n - 1; i > 0; --i) dx[size_t(i)] -= dx[size_t(i) - 1];
      for (INT& advance : dx) advance += extra;
      for (INT advance : dx) m.width += advance;
      m.width += extra;
    }
    m.alpha.assign(size_t(m.width) * size_t(m.height), 0);
    if (m.width <= 0 || m.height <= 0 || !Canvas(m.width, m.height)) return m;

    std::fill(pixels_, pixels_ + size_t(canvasWidth_) * size_t(canvasHeight_), 0u);
    RECT clip{0, 0, m.width, m.height};
    const INT* spacing = dx.data();
    ::ExtTextOutW(dc_, 0, 0, ETO_CLIPPED, &clip, wide.c_str(), UINT(n), spacing);
    if (f.syntheticBold) ::ExtTextOutW(dc_, 1, 0, ETO_CLIPPED, &clip, wide.c_str(), UINT(n), spacing);
    ::GdiFlush();  // the pixels are read straight from the section
    for (int y = 0; y < m.height; ++y)
      for (int x = 0; x < m.width; ++x) {
        // White on black: any channel is the coverage.
        const uint32_t p = pixels_[size_t(y) * size_t(canvasWidth_) + size_t(x)];
        m.alpha[size_t(y) * size_t(m.width) + size_t(x)] =
            uint8_t(std::max({p & 0xFF, (p >> 8) & 0xFF, (p >> 16) & 0xFF}));
      }
    return m;
  }

 private:
  using Key = std::tuple<std::string, int, bool>;

  // Outline faces glyph by glyph in 65 levels of grey, at the pens GDI's own
  // layout gives. Drawn with ExtTextOutW, Windows' smoothing follows the
  // face's wishes, and Verdana asks for none below 12 pixels: the caption
  // would come out jagged where the Linux program smooths it.
  TextMask RenderOutline(const GdiFont& f, const std::wstring& wide) {
    TextMask m;
    m.height = f.cell;
    const int n = int(wide.size());
    std::vector<INT> ends(size_t(n), 0);
    SIZE size{};
    if (n > 0 && ::GetTextExtentExPointW(dc_, wide.c_str(), n, 0, nullptr, ends.data(), &size))
      m.width = size.cx;
    m.alpha.assign(size_t(m.width) * size_t(m.height), 0);
    if (m.width <= 0 || m.height <= 0) return m;
    const MAT2 identity{{0, 1}, {0, 0}, {0, 0}, {0, 1}};
    std::vector<uint8_t> glyph;
    for (int i = 0; i < n; ++i) {
      GLYPHMETRICS gm{};
      const DWORD bytes =
          ::GetGlyphOutlineW(dc_, wide[size_t(i)], GGO_GRAY8_BITMAP, &gm, 0, nullptr, &identity);
      if (bytes == GDI_ERROR || bytes == 0) continue;  // a space, or nothing to draw
      glyph.assign(bytes, 0);
      if (::GetGlyphOutlineW(dc_, wide[size_t(i)], GGO_GRAY8_BITMAP, &gm, bytes, glyph.data(), &identity) ==
          GDI_ERROR)
        continue;
      const int pitch = int((gm.gmBlackBoxX + 3) & ~3u);  // rows are DWORD-aligned
      const int left = (i ? ends[size_t(i) - 1] : 0) + gm.gmptGlyphOrigin.x;
      const int top = f.ascent - gm.gmptGlyphOrigin.y;
      for (int y = 0; y < int(gm.gmBlackBoxY); ++y) {
        const int ty = top + y;
        if (ty < 0 || ty >= m.height || size_t(y) * size_t(pitch) + gm.gmBlackBoxX > glyph.size()) continue;
        for (int x = 0; x < int(gm.gmBlackBoxX); ++x) {
          const int tx = left + x;
          if (tx < 0 || tx >= m.width) continue;
          const int level = std::min<int>(glyph[size_t(y) * size_t(pitch) + size_t(x)], 64);
          uint8_t& dst = m.alpha[size_t(ty) * size_t(m.width) + size_t(tx)];
          dst = std::max(dst, uint8_t((level * 255 + 32) / 64));  // overlapping glyphs: the darker ink
        }
      }
    }
    return m;
  }

  const GdiFont& Font(const FontSpec& wanted) {
    Key key{wanted.face, wanted.height, wanted.bold};
    auto it = fonts_.find(key);
    if (it != fonts_.end()) return it->second;
    GdiFont f = dc_ ? Open(wanted) : GdiFont{};
    if (!f.font && !warned_) {
      warned_ = true;
      std::fprintf(stderr, "tarvolen: no usable font for \"%s\"; text is drawn as boxes\n",
                   wanted.face.c_str());
    }
    return fonts_.emplace(key, f).first->second;
  }

  // A FontSpec's height is LOGFONT's: negative, the character height in
  // pixels (the em, as SDL_ttf's size at 72 dpi is on Linux); positive, the
  // cell. The bitmap face is asked for as a raster font, so a TrueType
  // namesake (Wine ships one) is not taken in its place; its bold is made here,
  // as on Linux, not by GDI.
  GdiFont Open(const FontSpec& wanted) {
    GdiFont f;
    f.bitmap = wanted.face == "MS Sans Serif";
    f.syntheticBold = f.bitmap && wanted.bold;
    const int weight = wanted.bold && !f.bitmap ? FW_BOLD : FW_NORMAL;
    const DWORD precision = f.bitmap ? OUT_RASTER_PRECIS : OUT_TT_PRECIS;
    const DWORD quality = f.bitmap ? NONANTIALIASED_QUALITY : ANTIALIASED_QUALITY;
    f.font = ::CreateFontW(RequestedTextHeight(wanted), 0, 0, 0, weight, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                           precision, CLIP_DEFAULT_PRECIS, quality, DEFAULT_PITCH | FF_DONTCARE,
                           Wide(wanted.face).c_str());
    if (!f.font) return f;
    ::SelectObject(dc_, f.font);
    TEXTMETRICW tm{};
    if (!::GetTextMetricsW(dc_, &tm)) {
      ::DeleteObject(f.font);
      return GdiFont{};
    }
    f.cell = tm.tmHeight;
    f.ascent = tm.tmAscent;
    // Whatever the mapper found is what is drawn: a raster (or vector) face
    // as GDI draws it, unsmoothed; only TrueType has grey glyphs to give.
    f.bitmap = !(tm.tmPitchAndFamily & TMPF_TRUETYPE);
    f.syntheticBold = f.bitmap && wanted.bold && tm.tmWeight < FW_BOLD;
    return f;
  }

  // A top-down 32-bit section at least `width` x `height`, kept for later texts.
  bool Canvas(int width, int height) {
    if (width <= canvasWidth_ && height <= canvasHeight_) return true;
    if (!dc_) return false;
    const int w = std::max(width, canvasWidth_), h = std::max(height, canvasHeight_);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = w;
    info.bmiHeader.biHeight = -h;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = ::CreateDIBSection(dc_, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!bitmap || !bits) return false;
    HGDIOBJ old = ::SelectObject(dc_, bitmap);
    if (bitmap_)
      ::DeleteObject(bitmap_);
    else
      oldBitmap_ = old;
    bitmap_ = bitmap;
    pixels_ = static_cast<uint32_t*>(bits);
    canvasWidth_ = w;
    canvasHeight_ = h;
    ::SetTextColor(dc_, RGB(255, 255, 255));
    ::SetBkMode(dc_, TRANSPARENT);
    ::SetTextAlign(dc_, TA_TOP | TA_LEFT | TA_NOUPDATECP);
    return true;
  }

  HDC dc_;
  HBITMAP bitmap_ = nullptr;
  HGDIOBJ oldBitmap_ = nullptr;
  uint32_t* pixels_ = nullptr;
  int canvasWidth_ = 0;
  int canvasHeight_ = 0;
  bool warned_ = false;
  std::map<Key, GdiFont> fonts_;
};

}  // namespace

std::unique_ptr<TextRenderer> MakeGdiTextRenderer() { return std::make_unique<GdiTextRenderer>(); }

}  // namespace tv
