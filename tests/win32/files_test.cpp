// What Windows does to files that Linux does not: text mode turning "\n" into
// "\r\n" and stopping at ^Z, rename() refusing to replace, narrow paths read
// in the ANSI code page. Each is checked where the game meets it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/files/atomic_file.h"
#include "platform/files/file_read.h"
#include "platform/files/native_file.h"
#include "platform/files/png.h"
#include "platform/files/system.h"
#include "platform/files/wic_win32.h"

namespace tv {
namespace {

std::string ReadWhole(const std::string& path) {
  std::vector<uint8_t> bytes;
  EXPECT_EQ(ReadRegularFile(path, 1 << 20, bytes), 0) << path;
  return std::string(bytes.begin(), bytes.end());
}

std::vector<std::string> Names(const std::string& dir) {
  std::vector<std::string> names;
  for (const FolderEntry& e : FolderEntries(dir, ""))
    names.push_back(e.name);
  std::sort(names.begin(), names.end());
  return names;
}

TEST(WindowsFiles, BytesNamesAndReplacementsSurviveWindows) {
  // "Ünïcødé-ğ": letters no single ANSI code page holds.
  const std::string dir = ::testing::TempDir() +
                          "tarvolen-\xC3\x9Cn\xC3\xAF"
                          "c\xC3\xB8"
                          "d\xC3\xA9-\xC4\x9F";
  ASSERT_EQ(MakeDirectories(JoinPath(dir, "sub")), 0);
  ASSERT_EQ(MakeDirectories(dir), 0) << "an existing folder is no failure";
  const std::string file = JoinPath(dir, "s\xC3\xA9ttings.ini");
  const auto removeFiles = [&dir] {
    for (const std::string& name : Names(dir)) {
      if (name != "sub") {
        EXPECT_EQ(RemoveFile(JoinPath(dir, name)), 0) << name;
      }
    }
  };
  removeFiles();  // a run stopped halfway leaves its files

  // Read whole and exactly: no "\r\n" folded, no stop at ^Z.
  const std::string bytes("a\r\nb\x1a\0\xff\n\n", 9);
  ASSERT_EQ(WriteWholeFile(file, bytes), 0);
  EXPECT_EQ(ReadWhole(file), bytes);

  // A second save replaces the first in one step and leaves no temporary file.
  ASSERT_EQ(WriteWholeFile(file, "scale=2\n"), 0);
  EXPECT_EQ(ReadWhole(file), "scale=2\n");
  EXPECT_EQ(Names(dir), (std::vector<std::string>{"sub", "s\xC3\xA9ttings.ini"}));
  EXPECT_EQ(KindOf(file), FileKind::Regular);
  EXPECT_EQ(KindOf(JoinPath(dir, "sub")), FileKind::Directory);
  std::vector<uint8_t> none;
  EXPECT_EQ(ReadRegularFile(JoinPath(dir, "sub"), 100, none), EISDIR);
  EXPECT_EQ(ReadRegularFile(JoinPath(dir, "gone"), 100, none), ENOENT);
  EXPECT_EQ(ReadRegularFile("NUL", 100, none), EINVAL) << "a device is no file";

  // The journal's stream writes "\n" as one byte.
  std::FILE* journal = OpenForWriting(JoinPath(dir, "j\xC3\xB8urnal"));
  ASSERT_NE(journal, nullptr);
  std::fputs("c 1 2\n", journal);
  ASSERT_EQ(std::fclose(journal), 0);
  EXPECT_EQ(ReadWhole(JoinPath(dir, "j\xC3\xB8urnal")), "c 1 2\n");

  // A picture written and read back pixel for pixel, with and without alpha.
  Bitmap rgb(5, 3);
  ArgbImage argb;
  argb.width = 5;
  argb.height = 3;
  for (int i = 0; i < 15; ++i) {
    rgb.pixels[size_t(i)] = Pixel(i * 17) << 16 | Pixel(255 - i) << 8 | Pixel(i * 3 + 1);
    argb.pixels.push_back(uint32_t(i * 16) << 24 | rgb.pixels[size_t(i)]);
  }
  const std::string png = JoinPath(dir,
                                   "p\xC3\xAF"
                                   "cture.png");
  ASSERT_EQ(SavePng(rgb, png), 0);
  const std::string rgbFile = ReadWhole(png);
  ASSERT_EQ(SavePng(argb, png), 0);
  const std::string argbFile = ReadWhole(png);
  const ComThread com;
  WicPixels got;
  ASSERT_EQ(WicDecode(reinterpret_cast<const uint8_t*>(rgbFile.data()), rgbFile.size(),
                      GUID_WICPixelFormat24bppRGB, 3, 1 << 20, got),
            S_OK);
  ASSERT_EQ(got.width * got.height, 15);
  for (size_t i = 0; i < 15; ++i)
    EXPECT_EQ(Pixel(got.bytes[i * 3]) << 16 | Pixel(got.bytes[i * 3 + 1]) << 8 | got.bytes[i * 3 + 2],
              rgb.pixels[i]);
  ASSERT_EQ(WicDecode(reinterpret_cast<const uint8_t*>(argbFile.data()), argbFile.size(),
                      GUID_WICPixelFormat32bppBGRA, 4, 1 << 20, got),
            S_OK);
  ASSERT_EQ(got.bytes.size(), 60u);
  for (size_t i = 0; i < 15; ++i)
    EXPECT_EQ(uint32_t(got.bytes[i * 4 + 3]) << 24 | uint32_t(got.bytes[i * 4 + 2]) << 16 |
                  uint32_t(got.bytes[i * 4 + 1]) << 8 | got.bytes[i * 4],
              argb.pixels[i]);
  EXPECT_EQ(SavePng(Bitmap(), png), EINVAL);

  removeFiles();
  EXPECT_EQ(Names(dir), std::vector<std::string>{"sub"});
}

// The player's folders are the profile's two (settings roam, caches stay on
// the machine), never beside the program, and written as the portable path
// rules read them: forward slashes, absolute.
TEST(WindowsFiles, PlayersFoldersAreTheProfilesInGamePaths) {
  const std::string settings = SettingsDirectory(), cache = CacheDirectory(), program = ProgramDirectory();
  for (const std::string& dir : {settings, cache, program}) {
    EXPECT_EQ(dir.find('\\'), std::string::npos) << dir;
    EXPECT_TRUE(dir.size() > 2 && (dir[1] == ':' || dir.starts_with("//"))) << dir;
  }
  EXPECT_TRUE(settings.ends_with("/Tarvolen") && cache.ends_with("/Tarvolen")) << settings << " " << cache;
  EXPECT_NE(settings, cache);
  EXPECT_NE(DirectoryOf(settings), program);
}

}  // namespace
}  // namespace tv
