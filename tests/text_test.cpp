#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <future>
#include <fstream>
#include <numeric>
#include <sstream>

#include "platform/sound/audio_mixer.h"
#include "platform/toolkit/codepage.h"
#include "platform/toolkit/message_box_layout.h"
#include "platform/sound/recorded_music.h"
#include "platform/files/cache_file.h"
#include "platform/sdl/fontconfig_cache.h"
#include "platform/sdl/sdl_text.h"
#include "platform/files/system.h"

namespace tv {
namespace {

FontSpec Sans(bool bold = false) { return FontSpec{"MS Sans Serif", -11, bold}; }

int Ink(const TextMask& m) {
  return int(std::count_if(m.alpha.begin(), m.alpha.end(), [](uint8_t a) { return a > 0; }));
}

class TextRender : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { text_ = MakeSdlTextRenderer().release(); }
  static void TearDownTestSuite() {
    delete text_;
    text_ = nullptr;
  }
  static TextRenderer* text_;
};
TextRenderer* TextRender::text_ = nullptr;

struct LayoutLabel {
  const char* caption;
  bool bold;
  int width;  // the label's width in the window's layout
};

TEST_F(TextRender, SansSerifLabelsHaveTheLayoutsCellAndWidths) {
  const LayoutLabel labels[] = {
      {"Turn:", true, 31},      {"Player 1", false, 38}, {"CONTROLS:", true, 72},
      {"Up/Down", false, 47},   {"Direction:", true, 56}, {"Space", false, 31},
      {"Shoot:", true, 38},     {"ESC", false, 21},       {"Exit to Menu:", true, 76},
  };
  for (const auto& l : labels) {
    TextMask m = text_->Render(Sans(l.bold), l.caption);
    EXPECT_EQ(m.height, 13) << l.caption;
    // The free face has the same metrics, synthetic bold included.
    EXPECT_EQ(m.width, l.width) << l.caption;
    EXPECT_EQ(m.alpha.size(), size_t(m.width) * size_t(m.height)) << l.caption;
    EXPECT_GT(Ink(m), 10) << l.caption;
  }
}

TEST_F(TextRender, EmptyTextHasNoWidthButKeepsTheLineHeight) {
  TextMask m = text_->Render(Sans(), "");
  EXPECT_EQ(m.width, 0);
  EXPECT_EQ(m.height, 13);
  EXPECT_TRUE(m.alpha.empty());
  TextMask v = text_->Render(FontSpec{"Verdana", -11, false}, "");
  EXPECT_EQ(v.width, 0);
  EXPECT_GT(v.height, 0);
}

TEST_F(TextRender, BitmapFaceAdvancesAddUpAndBoldWidensEachCharacterByOne) {
  int whole = text_->Render(Sans(), "Player 1").width;
  EXPECT_EQ(whole, text_->Render(Sans(), "Play").width + text_->Render(Sans(), "er 1").width);
  // Bold: one more pixel per character, and one pixel of overhang per line.
  EXPECT_EQ(text_->Render(Sans(true), "Player 1").width, whole + 8 + 1);
  EXPECT_EQ(text_->Render(Sans(true), "Space").width, text_->Render(Sans(false), "Space").width + 5 + 1);
  EXPECT_GT(Ink(text_->Render(Sans(true), "Space")), Ink(text_->Render(Sans(false), "Space")));
}

TEST_F(TextRender, InkStaysInsideTheCellAndBlankTextHasNone) {
  TextMask m = text_->Render(Sans(), "Wg|");
  // Descenders and the bar reach below the middle; nothing is cut off at the left.
  int lowest = -1, leftmost = m.width;
  for (int y = 0; y < m.height; ++y)
    for (int x = 0; x < m.width; ++x)
      if (m.alpha[size_t(y) * m.width + x]) lowest = std::max(lowest, y), leftmost = std::min(leftmost, x);
  EXPECT_GT(lowest, m.height / 2);
  EXPECT_LE(leftmost, 2);
  TextMask blank = text_->Render(Sans(), "   ");
  EXPECT_GT(blank.width, 0);
  EXPECT_EQ(Ink(blank), 0);
}

TEST_F(TextRender, LargerSansSerifHeightsPickLargerStrikes) {
  int h11 = text_->Render(FontSpec{"MS Sans Serif", -11, false}, "Ag").height;
  int h13 = text_->Render(FontSpec{"MS Sans Serif", -13, false}, "Ag").height;
  int h16 = text_->Render(FontSpec{"MS Sans Serif", -16, false}, "Ag").height;
  EXPECT_LT(h11, h13);
  EXPECT_LT(h13, h16);
  EXPECT_EQ(text_->Render(FontSpec{"MS Sans Serif", 13, false}, "Ag").height, 13);
}

TEST_F(TextRender, VerdanaAtElevenPixelsHasASensibleCell) {
  TextMask m = text_->Render(FontSpec{"Verdana", -11, false}, "tarvolen.example");
  EXPECT_GE(m.height, 11);
  EXPECT_LE(m.height, 16);
  EXPECT_GT(m.width, 70);
  EXPECT_LT(m.width, 140);
  EXPECT_GT(Ink(m), 50);
  // Anti-aliased: some coverage lies strictly between none and full.
  EXPECT_TRUE(std::any_of(m.alpha.begin(), m.alpha.end(), [](uint8_t a) { return a > 0 && a < 255; }));
  TextMask bold = text_->Render(FontSpec{"Verdana", -11, true}, "tarvolen.example");
  EXPECT_GT(bold.width, m.width);
}

TEST_F(TextRender, MissingFaceFallsBackToAMatchedOne) {
  TextMask m = text_->Render(FontSpec{"No Such Face Anywhere", -11, false}, "Fallback");
  EXPECT_GT(m.width, 20);
  EXPECT_GT(m.height, 8);
  EXPECT_GT(Ink(m), 20);
}

// Fontconfig's answers are kept for the next start, and given back only while
// nothing they depend on has changed: its environment, or the chosen file.
TEST(FontMatches, AKeptAnswerHoldsUntilTheLocaleOrTheFileChangesAGarbledFileIsNoneAndAPipeIsLeftAlone) {
  const std::string dir = testing::TempDir() + "/font_cache";
  std::filesystem::create_directories(dir);
  const std::string font = dir + "/face.ttf", kept = dir + "/sub/fonts";
  std::ofstream(font) << "face";
  std::filesystem::remove(kept);
  FontFile f;
  f.path = font;
  f.index = 2;
  f.bold = true;
  FontMatchCache(kept).Add("Verdana", true, f);
  auto back = FontMatchCache(kept).Find("Verdana", true);
  ASSERT_TRUE(back);
  EXPECT_EQ(std::tie(back->path, back->index, back->bold), std::tie(f.path, f.index, f.bold));
  EXPECT_FALSE(FontMatchCache(kept).Find("Verdana", false));

  const char* lang = std::getenv("LANG");
  const std::string saved = lang ? lang : "";
  setenv("LANG", "tr_TR.UTF-8", 1);
  EXPECT_FALSE(FontMatchCache(kept).Fresh());
  lang ? setenv("LANG", saved.c_str(), 1) : unsetenv("LANG");
  EXPECT_TRUE(FontMatchCache(kept).Fresh());

  std::ofstream(font) << "another face";
  EXPECT_FALSE(FontMatchCache(kept).Find("Verdana", true));
  std::ofstream(kept) << "tarvolen font matches 1\n" << FontMatchCache::Stamp() << "\nVerdana\t1\t" << font << "\tx\n";
  EXPECT_FALSE(FontMatchCache(kept).Fresh());

  // A pipe in the file's place is neither read nor written: writing would wait for a reader.
  std::filesystem::remove(kept);
  ASSERT_EQ(mkfifo(kept.c_str(), 0600), 0);
  auto add = std::async(std::launch::async, [&] { FontMatchCache(kept).Add("Verdana", true, f); });
  const bool done = add.wait_for(std::chrono::seconds(10)) == std::future_status::ready;
  if (!done) {  // a reader lets the stuck writer finish
    const int reader = open(kept.c_str(), O_RDONLY | O_NONBLOCK);
    add.wait();
    close(reader);
  }
  EXPECT_TRUE(done) << "the kept answers waited on a pipe";
}

TEST_F(TextRender, AbsurdHeightsAreBoundedAndRepeatedRendersAgree) {
  TextMask huge = text_->Render(FontSpec{"Verdana", -1000000, false}, "W");
  EXPECT_LE(huge.height, 1000);
  TextMask tiny = text_->Render(FontSpec{"Verdana", 1, false}, "W");
  EXPECT_LE(tiny.height, 4);
  TextMask a = text_->Render(Sans(), "Player 2"), b = text_->Render(Sans(), "Player 2");
  EXPECT_EQ(a.alpha, b.alpha);
}

TEST_F(TextRender, CodePageCharactersAreDrawnNotDropped) {
  // e-acute and the euro sign are characters of the game's code page.
  EXPECT_GT(text_->Render(Sans(), "caf\xE9").width, text_->Render(Sans(), "caf").width);
  EXPECT_GT(text_->Render(FontSpec{"Verdana", -11, false}, "\x80").width, 0);
}

// The link's browser inherits nothing of the game: not its fonts, not a recording it
// streams, not the child's own /dev/null: 0, 1, 2 and ls's own reading of /proc.
TEST_F(TextRender, TheLinksOpenerHasOnlyTheStandardStreamsOpen) {
  text_->Render(Sans(), "x");
  text_->Render(FontSpec{"Verdana", -11, false}, "x");
  std::string recording;  // a recording, not the index beside them
  for (const auto& entry : std::filesystem::directory_iterator(RecordingsDirectory(TARVOLEN_DATA_DIR)))
    if (entry.path().extension() == ".flac") recording = entry.path().string();
  const auto piece = RecordedPiece::Open(recording, AudioMixer::kRate);  // held open
  ASSERT_TRUE(piece);
  const std::string dir = ::testing::TempDir() + "opener_" + std::to_string(::getpid());
  const std::string path = std::getenv("PATH");
  std::filesystem::create_directories(dir);
  std::ofstream(dir + "/xdg-open") << "#!/bin/sh\n/usr/bin/env >\"$1.env\"\nexec /bin/ls -ln /proc/self/fd >\"$1\"\n";
  // The browser gets the player's environment, not what the program set for itself.
  ::setenv("TARVOLEN_PLAYERS", "theirs", 1);
  SetForThisProgram("TARVOLEN_PLAYERS", "ours");
  SetForThisProgram("TARVOLEN_OURS", "ours");
  std::filesystem::permissions(dir + "/xdg-open", std::filesystem::perms::owner_all);
  ASSERT_EQ(::mkfifo((dir + "/fds").c_str(), 0600), 0);
  const int in = ::open((dir + "/fds").c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  ::setenv("PATH", dir.c_str(), 1);  // the test's xdg-open
  ShellOpen(dir + "/fds");
  ::setenv("PATH", path.c_str(), 1);
  pollfd ready{in, POLLIN, 0};
  char buf[4096];  // ls writes its few lines in one go as it ends
  const ssize_t got = ::poll(&ready, 1, 10000) > 0 ? ::read(in, buf, sizeof buf) : 0;
  const std::string listing(buf, size_t(std::max<ssize_t>(got, 0)));
  ::close(in);
  std::stringstream env;
  env << std::ifstream(dir + "/fds.env").rdbuf();
  EXPECT_NE(env.str().find("\nTARVOLEN_PLAYERS=theirs\n"), std::string::npos) << env.str();
  EXPECT_EQ(env.str().find("TARVOLEN_OURS"), std::string::npos) << env.str();
  std::filesystem::remove_all(dir);
  EXPECT_NE(listing.find(" 2 -> /dev/null"), std::string::npos) << listing;
  EXPECT_EQ(std::count(listing.begin(), listing.end(), '>'), 4) << listing;
}

TEST(CodePage, MapsTheWesternPageToUtf8) {
  EXPECT_EQ(Cp1252ToUtf8("Turn: Player 1"), "Turn: Player 1");
  EXPECT_EQ(Cp1252ToUtf8("\xE9"), "\xC3\xA9");
  EXPECT_EQ(Cp1252ToUtf8("\x80"), "\xE2\x82\xAC");          // euro sign
  EXPECT_EQ(Cp1252ToUtf8("\x92"), "\xE2\x80\x99");          // right single quote
  EXPECT_EQ(Cp1252ToUtf8("\x81"), "\xEF\xBF\xBD");          // unassigned
  EXPECT_EQ(Cp1252ToUtf8(std::string("a\0b", 3)), std::string("a\0b", 3));
  EXPECT_EQ(Cp1252ToUtf8(""), "");
}


using Lines = std::vector<std::string>;

TEST(MessageLines, CarriageReturnsAndNewlinesEachBreakOnce) {
  EXPECT_EQ(SplitMessageLines("Player 1 Won!"), Lines{"Player 1 Won!"});
  EXPECT_EQ(SplitMessageLines("one\rtwo"), (Lines{"one", "two"}));
  EXPECT_EQ(SplitMessageLines("one\r\ntwo\nthree"), (Lines{"one", "two", "three"}));
  EXPECT_EQ(SplitMessageLines("one\r\rtwo"), (Lines{"one", "", "two"}));
  EXPECT_EQ(SplitMessageLines("one\n\rtwo"), (Lines{"one", "", "two"}));
  EXPECT_EQ(SplitMessageLines("end\r"), (Lines{"end", ""}));
  EXPECT_EQ(SplitMessageLines(""), Lines{""});
}

class MessageBoxPicture : public TextRender {
 protected:
  static int Width(const std::string& s) { return text_->Render(Sans(), s).width; }
  static int Count(const Bitmap& b, Rect r, Pixel p) {
    int n = 0;
    for (int y = r.y; y < r.Bottom(); ++y)
      for (int x = r.x; x < r.Right(); ++x) n += b.At(x, y) == p;
    return n;
  }
};

TEST_F(MessageBoxPicture, LongLinesWrapAtSpacesWithinTheWidth) {
  const std::string line = "Cannot open file /usr/lib/tarvolen/5.bmp because it does not exist here";
  Lines pieces = WrapLine(*text_, Sans(), line, 150);
  ASSERT_GT(pieces.size(), 2u);
  std::string joined;
  for (const auto& p : pieces) {
    EXPECT_LE(Width(p), 150) << p;
    EXPECT_FALSE(p.empty());
    joined += (joined.empty() ? "" : " ") + p;
  }
  EXPECT_EQ(joined, line);
  EXPECT_EQ(WrapLine(*text_, Sans(), "Short", 150), Lines{"Short"});
  EXPECT_EQ(WrapLine(*text_, Sans(), "", 150), Lines{""});
}

TEST_F(MessageBoxPicture, AWordWiderThanTheBoxIsCutBetweenCharacters) {
  std::string word(80, 'W');
  Lines pieces = WrapLine(*text_, Sans(), word, 100);
  ASSERT_GT(pieces.size(), 1u);
  std::string joined;
  for (const auto& p : pieces) {
    EXPECT_LE(Width(p), 100);
    joined += p;
  }
  EXPECT_EQ(joined, word);
}

TEST_F(MessageBoxPicture, TextIconAndButtonDoNotOverlapAndStayInside) {
  for (bool stop : {false, true}) {
    MessageBoxLayout l = LayoutMessageBox(*text_, "Congratulations!\rYou have won every level.", stop, 400);
    Rect client{0, 0, l.width, l.height};
    ASSERT_EQ(l.lines.size(), 2u);
    EXPECT_EQ(l.ok.Intersect(client), l.ok);
    EXPECT_NEAR(l.ok.x + l.ok.w / 2, l.width / 2, 1) << "OK is centred";
    for (const auto& line : l.lines) {
      Rect r{line.at.x, line.at.y, line.mask.width, line.mask.height};
      EXPECT_EQ(r.Intersect(client), r);
      EXPECT_FALSE(r.Intersects(l.ok));
      if (stop) {
        EXPECT_FALSE(r.Intersects(l.icon));
      }
    }
    EXPECT_GT(l.lines[1].at.y, l.lines[0].at.y);
    if (stop) {
      EXPECT_EQ(l.icon.Intersect(client), l.icon);
    }
  }
}

TEST_F(MessageBoxPicture, AnEmptyTextStillGivesABoxWithItsButton) {
  MessageBoxLayout l = LayoutMessageBox(*text_, "", false, 400);
  EXPECT_GE(l.width, l.ok.Right());
  EXPECT_GT(l.height, l.ok.h);
  Bitmap b = PaintMessageBox(l, false);
  EXPECT_EQ(b.width, l.width);
  EXPECT_EQ(b.height, l.height);
  EXPECT_GT(Count(b, l.ok, 0x000000), 0) << "the button's frame and caption";
}

TEST_F(MessageBoxPicture, OnlyTheErrorBoxShowsTheRedStopIcon) {
  const std::string msg = "Cannot open file 9.bmp.";
  MessageBoxLayout plain = LayoutMessageBox(*text_, msg, false, 400);
  MessageBoxLayout error = LayoutMessageBox(*text_, msg, true, 400);
  Bitmap p = PaintMessageBox(plain, false), e = PaintMessageBox(error, false);
  EXPECT_EQ(Count(p, {0, 0, p.width, p.height}, 0xFF0000), 0);
  EXPECT_GT(Count(e, error.icon, 0xFF0000), 200);
  EXPECT_GT(Count(e, error.icon, 0xFFFFFF), 20) << "the cross";
  EXPECT_GT(error.width, plain.width);
  // The text is drawn in black where its line lies.
  const auto& line = plain.lines[0];
  EXPECT_GT(Count(p, {line.at.x, line.at.y, line.mask.width, line.mask.height}, 0x000000), 30);
}

TEST_F(MessageBoxPicture, APressedButtonLooksDifferent) {
  MessageBoxLayout l = LayoutMessageBox(*text_, "Player 2 Won!", false, 400);
  Bitmap up = PaintMessageBox(l, false), down = PaintMessageBox(l, true);
  EXPECT_NE(up.pixels, down.pixels);
  // Only the button changes.
  for (int y = 0; y < l.height; ++y)
    for (int x = 0; x < l.width; ++x)
      if (!l.ok.Contains(x, y)) {
        ASSERT_EQ(up.At(x, y), down.At(x, y)) << x << "," << y;
      }
}

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
