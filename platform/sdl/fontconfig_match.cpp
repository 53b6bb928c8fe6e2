#include "platform/sdl/fontconfig_match.h"

#include <fontconfig/fontconfig.h>
#include <unistd.h>

#include <mutex>

#include "platform/files/cache_file.h"
#include "platform/files/late_library.h"
#include "platform/sdl/fontconfig_cache.h"

namespace tv {
namespace {

// fontconfig is loaded the first time it is asked, not with the program: a
// start whose answers are kept (FontMatchCache) never needs it.
#define TV_FC_FUNCTIONS(X)                                                                                   \
  X(FcInitLoadConfigAndFonts) X(FcConfigDestroy) X(FcPatternCreate) X(FcPatternDestroy) X(FcPatternAddString) \
  X(FcPatternAddInteger) X(FcPatternAddBool) X(FcConfigSubstitute) X(FcDefaultSubstitute) X(FcFontMatch)     \
  X(FcPatternGetBool) X(FcPatternGetInteger) X(FcPatternGetString)
TV_LATE_LIBRARY(gFc, LoadFontconfig, TV_FC_FUNCTIONS, "fontconfig",
                "text not in the bitmap font is drawn as boxes", "libfontconfig.so.1", "libfontconfig.so")

// Fontconfig's configuration: its files parsed and its caches mapped, about
// 10 ms. Made once, by PrepareFontMatching on a thread of its own when the
// program starts, and held until ReleaseFontMatching.
std::mutex gMutex;
FcConfig* gConfig = nullptr;

FcConfig* ConfigLocked() {
  if (!gConfig && LoadFontconfig()) gConfig = gFc.FcInitLoadConfigAndFonts();
  return gConfig;
}

// Fontconfig's earlier answers, so that a start whose fonts are all known
// never reads its configuration.
FontMatchCache& CacheLocked() {
  static FontMatchCache cache(CacheFilePath("fonts"));
  return cache;
}

std::optional<FontFile> AskFontconfig(FcConfig* config, const std::string& family, bool bold);

}  // namespace

void PrepareFontMatching() {
  std::lock_guard<std::mutex> lock(gMutex);
  if (!CacheLocked().Fresh()) ConfigLocked();
}

void ReleaseFontMatching() {
  std::lock_guard<std::mutex> lock(gMutex);
  if (gConfig) gFc.FcConfigDestroy(gConfig);
  gConfig = nullptr;
}

std::optional<FontFile> BitmapSansSerifFile() {
  static const char* kPath = "/usr/share/wine/fonts/sserife.fon";
  if (access(kPath, R_OK) != 0) return std::nullopt;
  FontFile f;
  f.path = kPath;
  f.bitmap = true;
  return f;
}

std::optional<FontFile> MatchOutlineFont(const std::string& family, bool bold,
                                         const std::function<bool(const FontFile&)>& opens) {
  std::lock_guard<std::mutex> lock(gMutex);
  if (auto known = CacheLocked().Find(family, bold)) {
    if (opens(*known)) return known;
    // Kept for good, it would draw boxes at every start and never ask again.
    CacheLocked().Drop(family, bold);
  }
  FcConfig* config = ConfigLocked();
  if (!config) return std::nullopt;
  std::optional<FontFile> result = AskFontconfig(config, family, bold);
  if (result && opens(*result)) CacheLocked().Add(family, bold, *result);
  return result;
}

namespace {

std::optional<FontFile> AskFontconfig(FcConfig* config, const std::string& family, bool bold) {
  std::optional<FontFile> result;
  FcPattern* pattern = gFc.FcPatternCreate();
  gFc.FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
  gFc.FcPatternAddInteger(pattern, FC_WEIGHT, bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
  gFc.FcPatternAddInteger(pattern, FC_SLANT, FC_SLANT_ROMAN);
  // Bitmap strikes are chosen by index, not size: keep to outlines here.
  gFc.FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
  gFc.FcConfigSubstitute(config, pattern, FcMatchPattern);
  gFc.FcDefaultSubstitute(pattern);
  FcResult res = FcResultNoMatch;
  FcPattern* match = gFc.FcFontMatch(config, pattern, &res);
  if (match) {
    FcChar8* file = nullptr;
    FcBool scalable = FcFalse;
    int index = 0, weight = FC_WEIGHT_REGULAR;
    gFc.FcPatternGetBool(match, FC_SCALABLE, 0, &scalable);
    gFc.FcPatternGetInteger(match, FC_INDEX, 0, &index);
    gFc.FcPatternGetInteger(match, FC_WEIGHT, 0, &weight);
    if (gFc.FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch && scalable) {
      FontFile f;
      f.path = reinterpret_cast<const char*>(file);
      f.index = index;
      f.bold = weight >= FC_WEIGHT_DEMIBOLD;
      result = f;
    }
    gFc.FcPatternDestroy(match);
  }
  gFc.FcPatternDestroy(pattern);
  return result;
}

}  // namespace

}  // namespace tv
