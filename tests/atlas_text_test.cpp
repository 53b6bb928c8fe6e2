#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <random>

#include "app/form1_texts.h"
#include "platform/sdl/sdl_text.h"
#include "platform/toolkit/atlas_capture.h"
#include "platform/toolkit/atlas_text.h"

namespace tv {
namespace {

// The code page's text with what a terminal would not show as \xNN.
std::string Shown(const std::string& text) {
  std::string out;
  for (char c : text) {
    char hex[8];
    std::snprintf(hex, sizeof hex, "\\x%02X", unsigned(uint8_t(c)));
    out += c >= 0x20 && c < 0x7F ? std::string(1, c) : std::string(hex);
  }
  return out;
}

// The atlas written from the Linux renderer, as tools/make_atlas writes it,
// and read back: the web build must draw exactly the Linux program's pixels.
class AtlasText : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    linux_ = MakeSdlTextRenderer().release();
    bytes_ = new std::vector<uint8_t>;
    std::string report, why;
    if (!CaptureAtlas(*linux_, WindowFonts(), WindowTexts(), *bytes_, report)) return;
    atlas_ = LoadAtlasText(*bytes_, why).release();
  }
  static void TearDownTestSuite() {
    delete atlas_;
    delete bytes_;
    delete linux_;
    atlas_ = linux_ = nullptr;
    bytes_ = nullptr;
  }
  void SetUp() override { ASSERT_NE(atlas_, nullptr) << "the atlas was not written or does not read back"; }

  static ::testing::AssertionResult Same(const FontSpec& font, const std::string& text) {
    TextMask want = linux_->Render(font, text), got = atlas_->Render(font, text);
    if (SameMask(want, got)) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << "\"" << Shown(text) << "\" in " << font.face << " " << font.height << (font.bold ? " bold" : "")
           << ": " << got.width << "x" << got.height << ", not " << want.width << "x" << want.height
           << " or other ink";
  }

  static TextRenderer* linux_;
  static TextRenderer* atlas_;
  static std::vector<uint8_t>* bytes_;
};
TextRenderer* AtlasText::linux_ = nullptr;
TextRenderer* AtlasText::atlas_ = nullptr;
std::vector<uint8_t>* AtlasText::bytes_ = nullptr;

TEST_F(AtlasText, EveryWindowTextInEveryFontIsTheLinuxRenderersOwn) {
  std::vector<std::string> texts = WindowTexts();
  texts.push_back("");
  for (const FontSpec& font : WindowFonts())
    for (const std::string& text : texts) EXPECT_TRUE(Same(font, text));
  // It ships in the web build's download.
  EXPECT_LT(bytes_->size(), 100u * 1024u);
}

// The bitmap face is drawn glyph by glyph, so its glyphs make up any string,
// the code page's unassigned bytes and synthetic bold included.
TEST_F(AtlasText, RandomCodePageStringsInTheSansSerifFacesMatchExactly) {
  for (unsigned seed = 1; seed <= 300; ++seed) {
    std::mt19937 random(seed);
    std::string text(size_t(std::uniform_int_distribution<int>(0, 40)(random)), ' ');
    for (char& c : text) c = char(std::uniform_int_distribution<int>(1, 255)(random));
    for (const FontSpec& font : {kSans, kSansBold})
      if (!Same(font, text)) {
        ADD_FAILURE() << "seed " << seed << ": " << Same(font, text).message();
        return;
      }
  }
}

TEST_F(AtlasText, FontsTheAtlasLacksAreDrawnInTheNearestOrAsBoxes) {
  const std::string text = "Player 2 Won!";
  // The Linux renderer draws a face it lacks in an outline face; the bitmap
  // face at another size in its own strike.
  EXPECT_TRUE(SameMask(atlas_->Render({"Arial", -12, false}, text), atlas_->Render(kVerdana, text)));
  EXPECT_TRUE(SameMask(atlas_->Render({"MS Sans Serif", -13, true}, text), atlas_->Render(kSansBold, text)));
  std::vector<uint8_t> empty;
  std::string why;
  ASSERT_TRUE(AtlasWriter().Write(empty, why)) << why;
  std::unique_ptr<TextRenderer> none = LoadAtlasText(empty, why);
  ASSERT_NE(none, nullptr) << why;
  TextMask boxes = none->Render(kSans, text);
  EXPECT_EQ(boxes.height, 13);
  EXPECT_GT(boxes.width, int(text.size()));
}

// Cut short, bit flips the checksum catches, and damage it cannot see (the
// header sealed again): refused with a reason, or read whole and drawing
// masks of their stated size. Never a read past the end (the sanitizer build).
TEST_F(AtlasText, DamagedAtlasIsRefusedOrStillDraws) {
  const std::vector<uint8_t>& good = *bytes_;
  std::string why;
  for (size_t n = 0; n < good.size(); n += 7) {
    std::vector<uint8_t> cut(good.begin(), good.begin() + long(n));
    EXPECT_EQ(LoadAtlasText(cut, why), nullptr) << n;
    EXPECT_FALSE(why.empty()) << n;
  }
  for (unsigned seed = 1; seed <= 400; ++seed) {
    std::mt19937 random(seed);
    std::vector<uint8_t> bad = good;
    int flips = std::uniform_int_distribution<int>(1, 4)(random);
    for (int i = 0; i < flips; ++i)
      bad[std::uniform_int_distribution<size_t>(0, bad.size() - 1)(random)] ^= uint8_t(1u << (random() % 8));
    if (bad != good) {
      EXPECT_EQ(LoadAtlasText(bad, why), nullptr) << "seed " << seed;
    }
    if (seed % 2) bad.resize(std::uniform_int_distribution<size_t>(16, bad.size())(random));
    SealAtlas(bad);
    std::unique_ptr<TextRenderer> text = LoadAtlasText(bad, why);
    if (!text) {
      EXPECT_FALSE(why.empty()) << "seed " << seed;
      continue;
    }
    for (const FontSpec& font : {kSans, kSansBold, kVerdana, FontSpec{"Arial", 20, false}})
      for (const std::string& s : {std::string("Exit"), std::string("\xC9t\xE9 \x81\x80")}) {
        TextMask m = text->Render(font, s);
        ASSERT_EQ(m.alpha.size(), size_t(m.width) * size_t(m.height)) << "seed " << seed;
      }
  }
}

}  // namespace
}  // namespace tv
