// The text renderer's faces as fontconfig finds them, each checked in a fresh
// process, where no match is made or kept yet.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <string>

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

}  // namespace
}  // namespace tv
