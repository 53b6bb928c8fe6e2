// The level-picture loader: the files the build ships, every bitmap layout a
// picture file may use, and the two errors a bad file must give; and the
// files room's other readers and writers beside it, the settings file's among them.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "app/settings_file.h"
#include "assets/disc.h"
#include "platform/base/exceptions.h"
#include "platform/files/atomic_file.h"
#include "platform/files/bmp.h"
#include "platform/files/bmp_header.h"
#include "platform/files/bmp_rle.h"
#include "platform/files/cache_file.h"
#include "platform/files/late_library.h"
#include "platform/files/native_file.h"
#include "platform/files/picture_file.h"
#include "platform/files/png.h"
#include "platform/sdl/sdl_bmp.h"
#include "tests/fuzz/bmp_writer.h"

// Declared only, as the table's type for a function no library has.
extern "C" int tarvolen_nowhere();

namespace tv {
namespace {

#define TV_LIBC_FUNCTIONS(X) X(strlen)
#define TV_NOWHERE_FUNCTIONS(X) X(strlen) X(tarvolen_nowhere)
TV_LATE_LIBRARY(gLibc, LoadLibc, TV_LIBC_FUNCTIONS, "libc", "nothing", "libtarvolen-none.so.1", "libc.so.6")
TV_LATE_LIBRARY(gLibcLacking, LoadLibcLacking, TV_NOWHERE_FUNCTIONS, "libc", "no such function", "libc.so.6")
TV_LATE_LIBRARY(gNone, LoadNone, TV_LIBC_FUNCTIONS, "none", "nothing there", "libtarvolen-none.so.1")

namespace fs = std::filesystem;
using tvtest::BmpFields;
using tvtest::BuildBmp;
using tvtest::PackRle8;
using tvtest::PackRows;

constexpr const char* kNotValid = "Bitmap image is not valid";

class PictureFile : public ::testing::Test {
 protected:
  void SetUp() override {
    InstallSdlBitmapDecoder();
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    dir_ = fs::temp_directory_path() /
           ("tarvolen_pictures_" + std::to_string(::getpid()) + "_" + info->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  std::string Write(const std::string& name, const std::vector<uint8_t>& bytes) {
    std::string path = (dir_ / name).string();
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    return path;
  }
  Bitmap Load(const std::vector<uint8_t>& bytes) { return LoadBitmapFile(Write("p.bmp", bytes)); }

  // The text of the error that loading `bytes` raises, or a marker.
  std::string InvalidText(const std::vector<uint8_t>& bytes) {
    try {
      Load(bytes);
    } catch (const EInvalidGraphic& e) {
      return e.what();
    } catch (const std::exception& e) {
      return std::string("other error: ") + e.what();
    }
    return "loaded";
  }

  fs::path dir_;
};

std::string OpenErrorText(const std::string& path) {
  try {
    LoadBitmapFile(path);
  } catch (const EFOpenError& e) {
    return e.what();
  } catch (const std::exception& e) {
    return std::string("other error: ") + e.what();
  }
  return "loaded";
}

// A 5 x 3 picture with no symmetry, so a flipped or shifted decode shows.
constexpr int kW = 5, kH = 3;
const std::vector<uint32_t> kPalette = {0xFFFFFF, 0x000000, 0xFF0000, 0x00FF00, 0x0000FF,
                                        0x123456, 0xABCDEF, 0x808080};
const std::vector<uint32_t> kIndices = {1, 2, 3, 4, 5,  //
                                        6, 7, 0, 1, 2,  //
                                        0, 0, 3, 3, 6};

std::vector<uint32_t> PaletteOf(int bits) {
  std::vector<uint32_t> p = kPalette;
  p.resize(size_t(1) << bits, 0x777777);
  return p;
}
// Indices brought into range of a small palette.
std::vector<uint32_t> IndicesFor(int bits) {
  std::vector<uint32_t> v = kIndices;
  for (auto& i : v) i %= (1u << bits);
  return v;
}
Bitmap Expected(const std::vector<uint32_t>& indices, const std::vector<uint32_t>& palette, int w = kW, int h = kH) {
  Bitmap b(w, h);
  for (size_t i = 0; i < indices.size(); ++i) b.pixels[i] = palette[indices[i]];
  return b;
}
std::vector<uint32_t> Colours() {
  std::vector<uint32_t> c;
  for (uint32_t i : kIndices) c.push_back(kPalette[i]);
  return c;
}

BmpFields Fields(int32_t w, int32_t h, int bits, uint32_t compression = 0, std::vector<uint32_t> palette = {}) {
  BmpFields f;
  f.width = w;
  f.height = h;
  f.bitCount = uint16_t(bits);
  f.compression = compression;
  f.palette = std::move(palette);
  return f;
}

void ExpectPixels(const Bitmap& got, const Bitmap& want) {
  ASSERT_EQ(got.width, want.width);
  ASSERT_EQ(got.height, want.height);
  for (int y = 0; y < want.height; ++y)
    for (int x = 0; x < want.width; ++x) EXPECT_EQ(got.At(x, y), want.At(x, y)) << x << "," << y;
}

// Pictures and every generated file are written whole or not at all: a file
// in place is replaced only once its successor is complete, and a device in
// a file's place is written to, never renamed over.
TEST(AtomicFile, ReplacesWholeLeavesNoTemporaryAndNeverRenamesOverADevice) {
  const std::filesystem::path dir = ::testing::TempDir() + "tarvolen_atomic";
  std::filesystem::create_directories(dir);
  const std::string path = (dir / "x.png").string();
  std::ofstream(path) << "old";
  Bitmap picture;
  picture.width = picture.height = 2;
  picture.pixels.assign(4, 0x123456);
  EXPECT_EQ(SavePng(picture, path), 0);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir), {}), 1) << "a temporary file was left";
  EXPECT_GT(std::filesystem::file_size(path), 3u);
  EXPECT_EQ(SavePng(picture, "/dev/full"), ENOSPC);
  EXPECT_EQ(WriteWholeFile("/dev/full", "bytes"), ENOSPC);
  struct stat st {};
  ASSERT_EQ(::stat("/dev/full", &st), 0);
  EXPECT_TRUE(S_ISCHR(st.st_mode)) << "the device was replaced";
  EXPECT_NE(WriteWholeFile((dir / "no" / "such").string(), "bytes"), 0);
  std::filesystem::remove_all(dir);
}

// A writer killed before its rename leaves its temporary file: the next write
// removes it once it is a minute old, but not a younger one (another copy may be
// writing it now) nor any other name.
TEST(AtomicFile, TheNextWriteRemovesOnlyTheFilesTemporariesLeftOverAMinuteAgo) {
  const fs::path dir = ::testing::TempDir() + "tarvolen_leftovers";
  fs::remove_all(dir);
  fs::create_directories(dir);
  for (const char* name : {"fonts.tmp12", "fonts.tmp13", "fonts.tmpx", "fonts.tmp", "other.tmp12"}) {
    std::ofstream(dir / name) << "half";
    if (name != std::string("fonts.tmp13"))
      fs::last_write_time(dir / name, fs::file_time_type::clock::now() - std::chrono::minutes(2));
  }
  EXPECT_EQ(WriteCacheFile((dir / "fonts").string(), "kept"), 0);
  std::set<std::string> left;
  for (const auto& entry : fs::directory_iterator(dir)) left.insert(entry.path().filename());
  EXPECT_EQ(left, (std::set<std::string>{"fonts", "fonts.tmp13", "fonts.tmpx", "fonts.tmp", "other.tmp12"}));
  fs::remove_all(dir);
}

// Two copies of the game on one home: each writes only what its own player
// switched, so neither undoes the other's choice.
TEST(SettingsFile, TwoCopiesEachWriteOnlyTheirOwnChoice) {
  const std::string path = ::testing::TempDir() + "tarvolen_settings.ini";
  std::ofstream(path) << "fullscreen=no\nsound=on\n";
  SettingsFile first(path), second(path);
  first.Remember({.scale = {}, .fullscreen = {}, .sound = false});
  second.Remember({.scale = {}, .fullscreen = true, .sound = true});  // its sound as it started
  EXPECT_EQ(SettingsFile(path).Remembered(), (Settings{.scale = {}, .fullscreen = true, .sound = false}));
  fs::remove(path);
}

// A settings link (dotfiles kept elsewhere) stays one, its file not there yet
// included: each link of a chain is read from its own folder.
TEST(SettingsFile, ALinkStaysOneAndItsFileIsWrittenEvenBeforeItExists) {
  const fs::path dir = ::testing::TempDir() + "tarvolen_settings_link";
  fs::remove_all(dir);
  fs::create_directories(dir / "dotfiles");
  fs::create_symlink("dotfiles/link.ini", dir / "settings.ini");
  fs::create_symlink("settings.ini", dir / "dotfiles/link.ini");
  SettingsFile((dir / "settings.ini").string()).Remember({.scale = {}, .fullscreen = {}, .sound = false});
  EXPECT_TRUE(fs::is_symlink(dir / "settings.ini") && fs::is_symlink(dir / "dotfiles/link.ini"));
  EXPECT_EQ(SettingsFile((dir / "dotfiles/settings.ini").string()).Remembered().sound, false);
  fs::remove_all(dir);
}

// A late library loads from the first soname that opens, once; one that will
// not (no file, a function missing) is said once on stderr, with the loader's reason.
TEST(LateLibrary, TheFirstSonameThatOpensLoadsAndAFailureIsSaidOnce) {
  ::testing::internal::CaptureStderr();
  ASSERT_TRUE(LoadLibc());
  EXPECT_EQ(gLibc.strlen("four"), 4u);
  for (int i = 0; i < 2; ++i) {
    EXPECT_FALSE(LoadLibcLacking());
    EXPECT_FALSE(LoadNone());
  }
  EXPECT_THAT(::testing::internal::GetCapturedStderr(),
              ::testing::MatchesRegex("tarvolen: cannot load libc \\([^\n]*tarvolen_nowhere[^\n]*\\); "
                                      "no such function\n"
                                      "tarvolen: cannot load none \\(libtarvolen-none.so.1: [^\n]*\\); "
                                      "nothing there\n"));
}

// The player's cache folder, and only a regular file in it is read or replaced.
TEST(CacheFile, InThePlayersCacheFolderOnlyARegularFileIsReadOrReplaced) {
  const std::string dir = ::testing::TempDir() + "tarvolen_cache";
  fs::remove_all(dir);
  auto env = [](const char* name) { return std::string(std::getenv(name) ? std::getenv(name) : ""); };
  const std::string cache = env("XDG_CACHE_HOME"), home = env("HOME");
  setenv("XDG_CACHE_HOME", dir.c_str(), 1);
  EXPECT_EQ(CacheFilePath("fonts"), dir + "/tarvolen/fonts");
  setenv("XDG_CACHE_HOME", "relative", 1);
  setenv("HOME", "/home/player", 1);
  EXPECT_EQ(CacheFilePath("fonts"), "/home/player/.cache/tarvolen/fonts");
  setenv("XDG_CACHE_HOME", cache.c_str(), 1);
  setenv("HOME", home.c_str(), 1);

  const std::string file = dir + "/new/fonts";
  EXPECT_EQ(WriteCacheFile(file, "kept"), 0);
  EXPECT_EQ(ReadCacheFile(file, 4), "kept");
  EXPECT_FALSE(ReadCacheFile(file, 3)) << "larger than asked";
  EXPECT_FALSE(ReadCacheFile("", 4));
  fs::create_directories(dir + "/dir");
  EXPECT_EQ(WriteCacheFile(dir + "/dir", "kept"), EINVAL);
  EXPECT_EQ(WriteCacheFile("/dev/null", "kept"), EINVAL);
  EXPECT_FALSE(ReadCacheFile("/dev/null", 4));
  EXPECT_TRUE(fs::is_directory(dir + "/dir"));
  fs::remove_all(dir);
}

// Reads at any offset give the file's bytes there, cut only at its end.
TEST(ReadOnlyFile, ReadsAtAnyOffsetGiveTheBytesThere) {
  const std::string path = ::testing::TempDir() + "tarvolen_read_at";
  for (uint32_t seed = 1; seed <= 20; ++seed) {
    std::mt19937 rng(seed);
    std::string bytes(rng() % 5000, '\0');
    for (char& c : bytes) c = char(rng());
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
    ReadOnlyFile file;
    ASSERT_EQ(file.Open(path), 0) << "seed " << seed;
    ASSERT_EQ(file.Size(), bytes.size()) << "seed " << seed;
    for (int i = 0; i < 50; ++i) {
      const size_t at = rng() % (bytes.size() + 100), n = rng() % 3000;
      std::string got(n, '\0');
      size_t count = 0;
      ASSERT_EQ(file.ReadAt(at, got.data(), n, count), 0) << "seed " << seed;
      EXPECT_EQ(got.substr(0, count), at < bytes.size() ? bytes.substr(at, n) : "") << "seed " << seed;
    }
  }
  fs::remove(path);
}

// What the BMP writer writes passes the header check with its own size, and
// any file cut short of it does not.
TEST(BmpHeader, TheWritersFilesPassWholeAndFailCut) {
  for (uint32_t seed = 1; seed <= 30; ++seed) {
    std::mt19937 rng(seed);
    Bitmap picture(1 + int(rng() % 40), 1 + int(rng() % 40));
    const std::string file = BmpBytes(picture);
    const auto* bytes = reinterpret_cast<const uint8_t*>(file.data());
    const BmpHeader h = CheckBmpHeader(bytes, file.size());
    EXPECT_EQ(std::tie(h.width, h.height, h.bitCount, h.topDown),
              std::tuple(picture.width, picture.height, 24, false)) << "seed " << seed;
    for (size_t cut = 0; cut < file.size(); ++cut)
      EXPECT_THROW(CheckBmpHeader(bytes, cut), EInvalidGraphic) << "seed " << seed << ", " << cut << " bytes";
  }
}

TEST_F(PictureFile, ShippedLevelPicturesLoadAsDrawn) {
  for (int level = 1; level <= kLevelCount; ++level) {
    SCOPED_TRACE(level);
    std::string path = std::string(TARVOLEN_DATA_DIR) + "/" + std::to_string(level) + ".bmp";
    Bitmap b = LoadBitmapFile(path);
    EXPECT_EQ(b.width, LevelSide(level));
    EXPECT_EQ(b.height, LevelSide(level));
    EXPECT_EQ(b.At(0, b.height - 1), 0xFFFFFFu);
    EXPECT_FALSE(b.monochrome);
    EXPECT_EQ(b.pixels, LevelPicture(level).pixels);
    // 24 bits per pixel, as the header says.
    std::ifstream f(path, std::ios::binary);
    char header[30] = {};
    f.read(header, 30);
    EXPECT_EQ(uint8_t(header[28]) | uint8_t(header[29]) << 8, 24);
  }
}

class PictureDepth : public PictureFile, public ::testing::WithParamInterface<std::tuple<int, bool>> {};

TEST_P(PictureDepth, IndexedAndTrueColourLoadInBothRowOrders) {
  const auto [bits, topDown] = GetParam();
  BmpFields f = Fields(kW, topDown ? -kH : kH, bits);
  Bitmap want;
  std::vector<uint32_t> values;
  if (bits <= 8) {
    f.palette = PaletteOf(bits);
    values = IndicesFor(bits);
    want = Expected(values, f.palette);
  } else {
    values = Colours();
    want = Expected(kIndices, kPalette);
    if (bits == 32)
      for (auto& v : values) v |= 0x5A000000;  // whatever the fourth byte holds, colour is kept
  }
  Bitmap got = Load(BuildBmp(f, PackRows(kW, kH, bits, topDown, values)));
  ExpectPixels(got, want);
  EXPECT_EQ(got.monochrome, bits == 1);
}

INSTANTIATE_TEST_SUITE_P(Depths, PictureDepth,
                         ::testing::Combine(::testing::Values(1, 2, 4, 8, 24, 32), ::testing::Bool()));

TEST_F(PictureFile, TwoColourFileIsMonochromeWhateverItsColours) {
  BmpFields f = Fields(3, 2, 1);
  f.palette = {0x0000FF, 0x00FF00};  // blue and green, no white at all
  Bitmap b = Load(BuildBmp(f, PackRows(3, 2, 1, false, {0, 1, 0, 1, 1, 0})));
  EXPECT_TRUE(b.monochrome);
  EXPECT_EQ(b.At(0, 0), 0x0000FFu);
  EXPECT_EQ(b.At(1, 0), 0x00FF00u);
  EXPECT_EQ(b.At(2, 1), 0x0000FFu);
  EXPECT_EQ(b.TransparentPixel(), 0xFFFFFFu);
}

TEST_F(PictureFile, SixteenBitsAreFiveFiveFiveUnlessMasked) {
  BmpFields f = Fields(2, 1, 16);
  Bitmap plain = Load(BuildBmp(f, PackRows(2, 1, 16, false, {0x7C00, 0x001F})));
  EXPECT_EQ(plain.At(0, 0), 0xFF0000u);
  EXPECT_EQ(plain.At(1, 0), 0x0000FFu);

  f.compression = 3;
  f.masks = {0xF800, 0x07E0, 0x001F};
  Bitmap masked = Load(BuildBmp(f, PackRows(2, 1, 16, false, {0x07E0, 0xFFFF})));
  EXPECT_EQ(masked.At(0, 0), 0x00FF00u);
  EXPECT_EQ(masked.At(1, 0), 0xFFFFFFu);
}

TEST_F(PictureFile, Rle8RunsLoad) {
  BmpFields f = Fields(kW, kH, 8, 1, PaletteOf(8));
  Bitmap got = Load(BuildBmp(f, PackRle8(kW, kH, kIndices)));
  ExpectPixels(got, Expected(kIndices, f.palette));
  EXPECT_FALSE(got.monochrome);
}

TEST_F(PictureFile, Rle8AbsoluteModeAndRle4Load) {
  BmpFields f = Fields(4, 2, 8, 1, PaletteOf(8));
  // Bottom row: three literal pixels (padded to a word) then a run of one;
  // top row: a run of four.
  Bitmap rle8 = Load(BuildBmp(f, {0, 3, 2, 3, 4, 0, 1, 5, 0, 0, 4, 6, 0, 0, 0, 1}));
  ExpectPixels(rle8, Expected({6, 6, 6, 6, 2, 3, 4, 5}, f.palette, 4, 2));

  f.bitCount = 4;
  f.compression = 2;
  f.palette = PaletteOf(4);
  // RLE4 runs alternate the two nibbles of their byte.
  Bitmap rle4 = Load(BuildBmp(f, {4, 0x12, 0, 0, 4, 0x77, 0, 0, 0, 1}));
  ExpectPixels(rle4, Expected({7, 7, 7, 7, 1, 2, 1, 2}, f.palette, 4, 2));
}

TEST_F(PictureFile, OtherHeaderVersionsLoad) {
  BmpFields f = Fields(kW, kH, 8, 0, PaletteOf(8));
  f.infoSize = 12;  // OS/2 1.x: 16-bit sizes, three-byte palette entries
  ExpectPixels(Load(BuildBmp(f, PackRows(kW, kH, 8, false, kIndices))), Expected(kIndices, f.palette));
  f.bitCount = 24;
  f.palette.clear();
  ExpectPixels(Load(BuildBmp(f, PackRows(kW, kH, 24, false, Colours()))), Expected(kIndices, kPalette));
  // Windows 3 with masks up to Windows 5, and OS/2 2.x.
  for (uint32_t size : {52u, 56u, 64u, 108u, 124u}) {
    f.infoSize = size;
    ExpectPixels(Load(BuildBmp(f, PackRows(kW, kH, 24, false, Colours()))), Expected(kIndices, kPalette));
  }
}

TEST_F(PictureFile, MissingFileGivesTheOpenErrorWithItsPath) {
  std::string path = (dir_ / "1.bmp").string();
  EXPECT_EQ(OpenErrorText(path), "Cannot open file \"" + path + "\". No such file or directory");
  std::string deeper = (dir_ / "nowhere" / "2.bmp").string();
  EXPECT_EQ(OpenErrorText(deeper), "Cannot open file \"" + deeper + "\". No such file or directory");
}

TEST_F(PictureFile, DirectoryGivesTheOpenError) {
  std::string path = (dir_ / "3.bmp").string();
  fs::create_directory(path);
  EXPECT_EQ(OpenErrorText(path), "Cannot open file \"" + path + "\". Is a directory");
}

TEST_F(PictureFile, PipeOrDeviceGivesTheOpenErrorWithoutWaiting) {
  std::string path = (dir_ / "4.bmp").string();
  ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0);
  EXPECT_EQ(OpenErrorText(path), "Cannot open file \"" + path + "\". Not a regular file");
  EXPECT_EQ(OpenErrorText("/dev/null"), "Cannot open file \"/dev/null\". Not a regular file");
}

TEST_F(PictureFile, UnreadableFileGivesTheOpenError) {
  if (::geteuid() == 0) GTEST_SKIP() << "root reads every file";
  std::string path = Write("5.bmp", BuildBmp({}, {1, 2, 3, 0}));
  fs::permissions(path, fs::perms::none);
  EXPECT_EQ(OpenErrorText(path), "Cannot open file \"" + path + "\". Permission denied");
}

// A valid 24-bit file to break in the tests below.
std::vector<uint8_t> Valid24() {
  BmpFields f = Fields(kW, kH, 24);
  return BuildBmp(f, PackRows(kW, kH, 24, false, Colours()));
}
void Poke32(std::vector<uint8_t>& b, size_t at, uint32_t v) {
  for (int k = 0; k < 4; ++k) b[at + size_t(k)] = uint8_t(v >> (8 * k));
}

TEST_F(PictureFile, EmptyTruncatedOrForeignFilesAreNotValid) {
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(InvalidText({}), kNotValid);
  // The box's text names no file: stderr does, and says what the decoder found.
  EXPECT_EQ(::testing::internal::GetCapturedStderr(),
            "tarvolen: " + (dir_ / "p.bmp").string() + ": Bitmap image is not valid (the file is empty).\n");
  EXPECT_EQ(InvalidText({'B', 'M'}), kNotValid);
  std::vector<uint8_t> valid = Valid24();
  ASSERT_EQ(InvalidText(valid), "loaded");
  EXPECT_EQ(InvalidText({valid.begin(), valid.begin() + 30}), kNotValid);   // inside the header
  EXPECT_EQ(InvalidText({valid.begin(), valid.end() - 1}), kNotValid);      // last row short
  EXPECT_EQ(InvalidText({valid.begin(), valid.begin() + 54}), kNotValid);   // no pixels at all
  std::vector<uint8_t> magic = valid;
  magic[0] = 'P';
  magic[1] = 'K';
  EXPECT_EQ(InvalidText(magic), kNotValid);
  std::string text = "just some text, not a picture at all";
  EXPECT_EQ(InvalidText({text.begin(), text.end()}), kNotValid);
}

TEST_F(PictureFile, AbsurdSizesAreRefusedBeforeAnyAllocation) {
  // Each header claims a picture that would need gigabytes.
  for (auto [w, h] : {std::pair{100000, 1}, {1, 100000}, {16384, 16384}, {0x7FFFFFFF, 0x7FFFFFFF}}) {
    std::vector<uint8_t> b = Valid24();
    Poke32(b, 18, uint32_t(w));
    Poke32(b, 22, uint32_t(h));
    EXPECT_EQ(InvalidText(b), kNotValid) << w << "x" << h;
  }
  // An RLE file is small whatever it claims; its size alone is checked.
  BmpFields f = Fields(16384, 16384, 8, 1, PaletteOf(8));
  EXPECT_EQ(InvalidText(BuildBmp(f, {0, 1})), kNotValid);
}

TEST_F(PictureFile, NonsenseFieldsAreNotValid) {
  auto with = [](size_t at, uint32_t v) {
    std::vector<uint8_t> b = Valid24();
    Poke32(b, at, v);
    return b;
  };
  EXPECT_EQ(InvalidText(with(18, 0)), kNotValid);               // width 0
  EXPECT_EQ(InvalidText(with(18, uint32_t(-5))), kNotValid);    // negative width
  EXPECT_EQ(InvalidText(with(22, 0)), kNotValid);               // height 0
  EXPECT_EQ(InvalidText(with(22, 0x80000000u)), kNotValid);     // height with no positive twin
  EXPECT_EQ(InvalidText(with(10, 0xFFFFFFF0u)), kNotValid);     // pixels beyond the end
  EXPECT_EQ(InvalidText(with(14, 20)), kNotValid);              // unknown header size
  EXPECT_EQ(InvalidText(with(14, 0xFFFFFFFFu)), kNotValid);
  EXPECT_EQ(InvalidText(with(30, 4)), kNotValid);               // JPEG inside
  EXPECT_EQ(InvalidText(with(30, 1)), kNotValid);               // RLE8 at 24 bits
  for (uint16_t bits : {0, 3, 7, 12, 48, 64}) {
    std::vector<uint8_t> b = Valid24();
    b[28] = uint8_t(bits);
    b[29] = uint8_t(bits >> 8);
    EXPECT_EQ(InvalidText(b), kNotValid) << bits << " bits";
  }
}

TEST_F(PictureFile, PalettesMustBeThereAndCoverEveryPixel) {
  BmpFields f = Fields(kW, kH, 8, 0, {0xFFFFFF, 0x000000});
  f.coloursUsed = 2;
  // An index beyond a two-entry palette, stored plainly and run-length coded.
  EXPECT_EQ(InvalidText(BuildBmp(f, PackRows(kW, kH, 8, false, kIndices))), kNotValid);
  f.compression = 1;
  EXPECT_EQ(InvalidText(BuildBmp(f, PackRle8(kW, kH, kIndices))), kNotValid);
  // A palette cut short by the end of the file.
  std::vector<uint8_t> b = BuildBmp(Fields(1, 1, 8), {});
  EXPECT_EQ(InvalidText(b), kNotValid);
}

TEST_F(PictureFile, BrokenRunLengthDataIsNotValid) {
  BmpFields f = Fields(4, 2, 8, 1, PaletteOf(8));
  EXPECT_EQ(InvalidText(BuildBmp(f, {4, 1, 0})), kNotValid);           // ends inside an escape
  EXPECT_EQ(InvalidText(BuildBmp(f, {0, 200, 1, 2})), kNotValid);      // literal run past the data
  f.height = -2;
  EXPECT_EQ(InvalidText(BuildBmp(f, PackRle8(4, 2, {1, 1, 1, 1, 2, 2, 2, 2}))), kNotValid);  // top-down RLE
}

// Mutations of valid files of every kind: each load gives a picture or the
// not-valid error, never a crash or another error. Seeded, so a failure
// repeats.
TEST_F(PictureFile, MutatedFilesNeverCrash) {
  std::vector<std::vector<uint8_t>> seeds = {Valid24()};
  for (int bits : {1, 4, 8, 32}) {
    BmpFields f = Fields(kW, kH, bits, 0, bits <= 8 ? PaletteOf(bits) : std::vector<uint32_t>{});
    seeds.push_back(BuildBmp(f, PackRows(kW, kH, bits, false, bits <= 8 ? IndicesFor(bits) : Colours())));
  }
  seeds.push_back(BuildBmp(Fields(kW, kH, 8, 1, PaletteOf(8)),
                           PackRle8(kW, kH, kIndices)));
  seeds.push_back(BuildBmp(Fields(4, 2, 4, 2, PaletteOf(4)),
                           {4, 0x12, 0, 0, 4, 0x77, 0, 0, 0, 1}));
  const uint32_t extremes[] = {0, 1, 2, 0x7FFF, 0x8000, 0xFFFF, 0x7FFFFFFF, 0x80000000u, 0xFFFFFFFFu, 40, 12, 64};

  std::mt19937 rng(20240611);
  int loaded = 0, refused = 0;
  for (int i = 0; i < 4000; ++i) {
    std::vector<uint8_t> b = seeds[rng() % seeds.size()];
    const int edits = 1 + int(rng() % 4);
    for (int e = 0; e < edits && !b.empty(); ++e) {
      switch (rng() % 4) {
        case 0: b[rng() % b.size()] ^= uint8_t(1u << (rng() % 8)); break;
        case 1: b[rng() % b.size()] = uint8_t(rng()); break;
        case 2:
          if (b.size() >= 58) Poke32(b, 2 + (rng() % 14) * 4, extremes[rng() % std::size(extremes)]);
          break;
        case 3: b.resize(rng() % (b.size() + 1)); break;
      }
    }
    try {
      Bitmap p = DecodeBitmap(b.data(), b.size());
      ASSERT_GT(p.width, 0);
      ASSERT_GT(p.height, 0);
      ASSERT_EQ(p.pixels.size(), size_t(p.width) * size_t(p.height));
      ++loaded;
    } catch (const EInvalidGraphic& e) {
      ASSERT_STREQ(e.what(), kNotValid);
      ++refused;
    }
  }
  // Both outcomes must actually be exercised.
  EXPECT_GT(loaded, 100);
  EXPECT_GT(refused, 100);
}

// The run-length expansion a decoder other than SDL's uses (Windows') gives
// SDL's pixels, and refuses what SDL refuses, for run-length data of every
// shape: runs past the row's end, moves off the picture, literals cut short,
// indices beyond a short palette, a missing end mark.
TEST_F(PictureFile, RunLengthExpansionIsSdls) {
  const auto outcome = [](auto decode) {
    try {
      const Bitmap b = decode();
      return std::to_string(b.width) + "x" + std::to_string(b.height) + testing::PrintToString(b.pixels);
    } catch (const EInvalidGraphic&) {
      return std::string("refused");
    }
  };
  std::mt19937 rng(5);
  std::set<std::string> seen;
  for (int i = 0; i < 3000; ++i) {
    const bool rle8 = rng() % 2;
    const int bits = rle8 ? 8 : 4;
    BmpFields f = Fields(1 + int(rng() % 9), 1 + int(rng() % 5), bits, rle8 ? 1 : 2, PaletteOf(bits));
    if (rng() % 3 == 0) {
      f.coloursUsed = 1 + rng() % 6;
      f.palette.resize(f.coloursUsed);
    }
    std::vector<uint8_t> data;
    for (int n = int(rng() % 30); n > 0; --n) {
      const unsigned kind = rng() % 4, count = kind == 3 ? 3 + rng() % 8 : rng() % 12;
      const std::vector<uint8_t> step[] = {{uint8_t(count), uint8_t(rng() % 8)},
                                           {0, uint8_t(rng() % 2)},
                                           {0, 2, uint8_t(rng() % 6), uint8_t(rng() % 3)},
                                           {0, uint8_t(count)}};
      data.insert(data.end(), step[kind].begin(), step[kind].end());
      for (unsigned k = kind == 3 ? (rle8 ? count : (count + 1) / 2) + rng() % 2 : 0; k > 0; --k)
        data.push_back(uint8_t(rng() % 9));
    }
    if (rng() % 4) data.insert(data.end(), {0, 1});
    const std::vector<uint8_t> file = BuildBmp(f, data);
    const std::string sdl = outcome([&] { return DecodeBmp(file.data(), file.size()); });
    const auto expand = [&] {
      return ExpandRunLengthBmp(file.data(), file.size(), CheckBmpHeader(file.data(), file.size()));
    };
    ASSERT_EQ(outcome(expand), sdl) << i;
    seen.insert(sdl == "refused" ? sdl : "loaded");
  }
  EXPECT_EQ(seen.size(), 2u) << "both outcomes met";
}

}  // namespace
}  // namespace tv
