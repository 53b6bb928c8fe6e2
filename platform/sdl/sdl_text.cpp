#include "platform/sdl/sdl_text.h"

#include <SDL.h>
#include <SDL_ttf.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "platform/files/late_library.h"
#include "platform/toolkit/box_text.h"
#include "platform/toolkit/codepage.h"
#include "platform/sdl/fontconfig_match.h"

namespace tv {
namespace {

// SDL_ttf, with FreeType, HarfBuzz and GLib behind it, is loaded when the first
// text is drawn, not with the program: mapped before main() it costs about a
// millisecond before the first picture, and making the renderer costs nothing.
#define TV_TTF_FUNCTIONS(X)                                                                            \
  X(TTF_Init) X(TTF_Quit) X(TTF_OpenFontIndexRW) X(TTF_CloseFont) X(TTF_FontHeight) X(TTF_SetFontSize) \
  X(TTF_SetFontStyle) X(TTF_SizeUTF8) X(TTF_RenderUTF8_Blended) X(TTF_GlyphMetrics32)                  \
  X(TTF_RenderGlyph_Blended)
TV_LATE_LIBRARY(gTtf, LoadTtf, TV_TTF_FUNCTIONS, "SDL_ttf", "text is drawn as boxes", "libSDL2_ttf-2.0.so.0",
                "libSDL2_ttf.so")

struct LoadedFont {
  TTF_Font* font = nullptr;
  bool bitmap = false;
  bool syntheticBold = false;  // bitmap strikes: drawn twice, one pixel apart
};

// The bitmap "MS Sans Serif" (labels, menu rows, boxes) keeps each height in a
// face of its own in one file; height -11 (character height 11) is the 13-pixel
// cell the layout's labels are sized for (TextRender.SansSerifLabelsHaveTheLayoutsCellAndWidths).
double CharHeightOfCell(int cell) { return cell * 11.0 / 13.0; }

// SDL_ttf's own opening (SDL_RWFromFile) leaves the font file open across
// exec, into the browser the link starts: opened here close-on-exec instead.
TTF_Font* OpenFontFile(const std::string& path, int size, long index) {
  std::FILE* file = std::fopen(path.c_str(), "rbe");
  if (!file) {
    SDL_SetError("cannot open %s", path.c_str());
    return nullptr;
  }
  SDL_RWops* rw = SDL_RWFromFP(file, SDL_TRUE);
  if (!rw) {
    std::fclose(file);
    return nullptr;
  }
  return gTtf.TTF_OpenFontIndexRW(rw, 1, size, index);  // closes the file on failure too
}

class TtfTextRenderer : public TextRenderer {
 public:
  ~TtfTextRenderer() override {
    for (auto& [key, f] : fonts_)
      if (f.font) gTtf.TTF_CloseFont(f.font);
    if (ttfUp_) gTtf.TTF_Quit();
    // Fontconfig's configuration is kept between matches; not past the renderer.
    ReleaseFontMatching();
  }

  TextMask Render(const FontSpec& wanted, const std::string& text) override {
    const LoadedFont& f = Font(wanted);
    if (!f.font) return HollowBoxText(wanted, text);
    if (f.bitmap) return RenderByGlyph(f, text);
    return RenderOutline(f, text);
  }


 private:
  using Key = std::tuple<std::string, int, bool>;

  // SDL_ttf is loaded and started with the first font asked for: making the
  // renderer is free, and a session that draws no text never loads it.
  bool TtfUp() {
    if (!ttfTried_) {
      ttfTried_ = true;
      if (!LoadTtf()) return false;
      if (gTtf.TTF_Init() != 0)
        std::fprintf(stderr, "tarvolen: cannot start the font renderer (%s); text is drawn as boxes\n",
                     TTF_GetError());
      else
        ttfUp_ = true;
    }
    return ttfUp_;
  }

  const LoadedFont& Font(const FontSpec& wanted) {
    Key key{wanted.face, wanted.height, wanted.bold};
    auto it = fonts_.find(key);
    if (it != fonts_.end()) return it->second;
    const bool up = TtfUp();
    std::string why;
    LoadedFont f = up ? Open(wanted, why) : LoadedFont{};
    if (!f.font && up && !warned_) {
      warned_ = true;
      std::fprintf(stderr, "tarvolen: no usable font for \"%s\" (%s); text is drawn as boxes\n",
                   wanted.face.c_str(), why.c_str());
    }
    return fonts_.emplace(key, f).first->second;
  }

  // The face for `wanted`; without one, `why` says why: no file matched, or
  // SDL_ttf's reason for the one that did (its last error alone may be stale:
  // the bitmap face's probe ends on a failed open).
  LoadedFont Open(const FontSpec& wanted, std::string& why) {
    int h = RequestedTextHeight(wanted);
    if (wanted.face == "MS Sans Serif") {
      if (auto file = BitmapSansSerifFile()) {
        LoadedFont f = OpenBitmapStrike(file->path, h);
        f.syntheticBold = wanted.bold;
        if (f.font) return f;
      }
    }
    LoadedFont f;
    // At SDL_ttf's 72 dots per inch a point is a pixel: a negative height is
    // the em size in pixels. A positive one is the cell; scale to reach it.
    int size = std::max(1, h < 0 ? -h : h);
    const auto opens = [&](const FontFile& face) {
      f.font = OpenFontFile(face.path, size, face.index);
      return f.font != nullptr;
    };
    auto file = MatchOutlineFont(wanted.face, wanted.bold, opens);
    if (!file) file = MatchOutlineFont("sans-serif", wanted.bold, opens);
    if (!file) {
      why = "no font file matches it";
      return {};
    }
    if (!f.font) {
      why = TTF_GetError();
      return f;
    }
    if (h > 0) {
      int cell = gTtf.TTF_FontHeight(f.font);
      if (cell > 0 && cell != h) gTtf.TTF_SetFontSize(f.font, std::max(1, (h * h + cell / 2) / cell));
    }
    if (wanted.bold && !file->bold) gTtf.TTF_SetFontStyle(f.font, TTF_STYLE_BOLD);
    return f;
  }

  // Picks the strike (one face each) whose size fits the height best. Each
  // face of the file is opened once to learn its cell; a later height opens
  // only the face it picks.
  LoadedFont OpenBitmapStrike(const std::string& path, int h) {
    std::vector<int>& cells = strikeCells_[path];
    if (cells.empty())
      for (long index = 0; index < 16; ++index) {
        TTF_Font* font = OpenFontFile(path, 0, index);
        if (!font) break;
        cells.push_back(gTtf.TTF_FontHeight(font));
        gTtf.TTF_CloseFont(font);
      }
    long best = -1;
    double bestDiff = 1e9;
    for (size_t index = 0; index < cells.size(); ++index) {
      const int cell = cells[index];
      double diff = h < 0 ? std::abs(CharHeightOfCell(cell) + h) : std::abs(cell - h);
      if (diff < bestDiff) {
        best = long(index);
        bestDiff = diff;
      }
    }
    LoadedFont f;
    f.bitmap = true;
    if (best >= 0) f.font = OpenFontFile(path, 0, best);
    return f;
  }

  static void CopyAlpha(SDL_Surface* s, TextMask& m, int dx, bool addInk) {
    if (!s || SDL_LockSurface(s) != 0) return;
    for (int y = 0; y < std::min(s->h, m.height); ++y) {
      const auto* row = reinterpret_cast<const uint32_t*>(static_cast<const uint8_t*>(s->pixels) + y * s->pitch);
      for (int x = 0; x < s->w; ++x) {
        int tx = x + dx;
        if (tx < 0 || tx >= m.width) continue;
        uint8_t a = uint8_t(row[x] >> 24);  // ARGB8888
        uint8_t& dst = m.alpha[size_t(y) * m.width + tx];
        dst = addInk ? std::max(dst, a) : a;
      }
    }
    SDL_UnlockSurface(s);
  }

  static TextMask RenderOutline(const LoadedFont& f, const std::string& text) {
    TextMask m;
    m.height = gTtf.TTF_FontHeight(f.font);
    std::string utf8 = Cp1252ToUtf8(text);
    int w = 0, h = 0;
    if (!text.empty() && gTtf.TTF_SizeUTF8(f.font, utf8.c_str(), &w, &h) == 0) m.width = w;
    m.alpha.assign(size_t(m.width) * m.height, 0);
    if (m.width == 0) return m;
    SDL_Surface* s = gTtf.TTF_RenderUTF8_Blended(f.font, utf8.c_str(), SDL_Color{255, 255, 255, 255});
    CopyAlpha(s, m, 0, false);
    SDL_FreeSurface(s);
    return m;
  }

  // Bitmap strikes glyph by glyph: bold widens every character by one pixel and
  // adds one pixel of overhang to the line, which SDL_ttf's own bold does not; so
  // "Turn:" is 31 pixels wide and the turn's name starts where the layout puts it
  // (TextRender.BitmapFaceAdvancesAddUpAndBoldWidensEachCharacterByOne).
  static TextMask RenderByGlyph(const LoadedFont& f, const std::string& text) {
    TextMask m;
    m.height = gTtf.TTF_FontHeight(f.font);
    int extra = f.syntheticBold ? 1 : 0;
    std::vector<std::pair<int, uint16_t>> pen;  // x of each glyph
    std::string utf8 = Cp1252ToUtf8(text);
    int x = 0;
    for (size_t i = 0; i < utf8.size();) {
      uint32_t cp = DecodeUtf8(utf8, i);
      int advance = 0;
      if (gTtf.TTF_GlyphMetrics32(f.font, cp, nullptr, nullptr, nullptr, nullptr, &advance) != 0) advance = 0;
      pen.emplace_back(x, uint16_t(cp));
      x += advance + extra;
    }
    m.width = x + extra;
    m.alpha.assign(size_t(m.width) * m.height, 0);
    for (auto [gx, cp] : pen) {
      SDL_Surface* s = gTtf.TTF_RenderGlyph_Blended(f.font, cp, SDL_Color{255, 255, 255, 255});
      CopyAlpha(s, m, gx, true);
      if (extra) CopyAlpha(s, m, gx + 1, true);
      SDL_FreeSurface(s);
    }
    return m;
  }

  // Code points of our own UTF-8: the code page never leaves the BMP.
  static uint32_t DecodeUtf8(const std::string& s, size_t& i) {
    auto b = [&](size_t k) { return uint32_t(uint8_t(s[k])); };
    uint32_t c = b(i);
    if (c < 0x80) return ++i, c;
    if (c < 0xE0 && i + 1 < s.size()) {
      uint32_t cp = ((c & 0x1F) << 6) | (b(i + 1) & 0x3F);
      return i += 2, cp;
    }
    if (i + 2 < s.size()) {
      uint32_t cp = ((c & 0x0F) << 12) | ((b(i + 1) & 0x3F) << 6) | (b(i + 2) & 0x3F);
      return i += 3, cp;
    }
    return i = s.size(), 0xFFFD;
  }

  bool ttfTried_ = false;
  bool ttfUp_ = false;
  bool warned_ = false;
  std::map<std::string, std::vector<int>> strikeCells_;  // each bitmap file's cell heights, by face
  std::map<Key, LoadedFont> fonts_;
};

}  // namespace

void PrepareText() { LoadTtf(); }

std::unique_ptr<TextRenderer> MakeSdlTextRenderer() { return std::make_unique<TtfTextRenderer>(); }

}  // namespace tv
