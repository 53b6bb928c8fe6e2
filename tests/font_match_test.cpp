// The text renderer's faces as fontconfig finds them, each checked in a fresh
// process, where no match is made or kept yet.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/files/cache_file.h"
#include "platform/sdl/fontconfig_cache.h"
#include "platform/sdl/sdl_text.h"

namespace tv {
namespace {

// A face no file matches (fontconfig's configuration empty) is said with that
// reason, not with SDL_ttf's last error about another file.
TEST(FontMatches, AFaceNoFileMatchesIsSaidSo) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  const std::string conf = ::testing::TempDir() + "tarvolen_no_fonts.conf";
  std::ofstream(conf) << "<fontconfig/>\n";
  EXPECT_EXIT(
      {
        setenv("FONTCONFIG_FILE", conf.c_str(), 1);
        auto text = MakeSdlTextRenderer();
        for (const char* face : {"MS Sans Serif", "Verdana"}) text->Render({face, -11, false}, "x");
        std::exit(0);
      },
      ::testing::ExitedWithCode(0), "no usable font for \"Verdana\" \\(no font file matches it\\)");
}

// A kept answer naming a file that is no face, its size and time as kept (a
// copy made with cp -p), is dropped: fontconfig's face is drawn, with grey
// edges that boxes lack, and the cache no longer names the file.
TEST(FontMatches, AKeptAnswerThatIsNoFaceIsAskedAgainAndNoLongerKept) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  const std::string cache = ::testing::TempDir() + "tarvolen_no_face", face = cache + "/face.ttf";
  EXPECT_EXIT(
      {
        setenv("XDG_CACHE_HOME", cache.c_str(), 1);
        std::filesystem::create_directories(cache);
        std::ofstream(face) << "no face";
        FontMatchCache(CacheFilePath("fonts")).Add("Verdana", false, FontFile{.path = face});
        const TextMask m = MakeSdlTextRenderer()->Render({"Verdana", -11, false}, "x");
        const bool grey = std::any_of(m.alpha.begin(), m.alpha.end(), [](uint8_t a) { return a % 255 != 0; });
        const std::string kept = ReadCacheFile(CacheFilePath("fonts"), 1 << 16).value_or("");
        std::exit(grey && kept.find(face) == std::string::npos ? 0 : 1);
      },
      ::testing::ExitedWithCode(0), "");
}

}  // namespace
}  // namespace tv
