#include "assets/pictures.h"

#include <cstddef>
#include <cstdint>

#include "assets/disc.h"
#include "platform/base/require.h"

namespace tv {
namespace {

// The pixel tables, one letter per pixel, row 0 first.
// W white, K black, G light grey, Y yellow.
constexpr const char* kLeftLauncher[16] = {
    "WWWWWKKKKKKWWWWW", "WKKWKGGGGGGKWKKW", "WKWKGGGGGGGGKWKW", "WWKGGGGKKGGGGKWW",
    "WKGGGGKGGKGGGGKW", "KGGGGGKKKKGGGGGK", "KGGGKKGGGGKKGGGK", "KGGKGKGGGGKGKGGK",
    "KGGKGKGGGGKGKGGK", "KGGGKKGGGGKKGGGK", "KGGGGGKKKKGGGGGK", "WKGGGGKGGKGGGGKW",
    "WWKGGGGKKGGGGKWW", "WKWKGGGGGGGGKWKW", "WKKWKGGGGGGKWKKW", "WWWWWKKKKKKWWWWW",
};

constexpr const char* kBall[7] = {
    "WWKKKWW", "WKYYYKW", "KYYYYYK", "KYYYYYK", "KYYYYYK", "WKYYYKW", "WWKKKWW",
};

// '.' transparent, K black, G grey, Y yellow.
constexpr const char* kIcon[24] = {
    "........................",
    "........................",
    "..................KKK...",
    ".................KYYYK..",
    "................KYYYYYK.",
    "................KYYYYYK.",
    "................KYYYYYK.",
    ".......KKKK......KYYYK..",
    ".....KKGGGGKK.....KKK...",
    "....KGGGGGGGGK..........",
    "...KGGGGGGGGGGK.........",
    "...KGGGGGGGGGGK.........",
    "..KGGGGGGGGGGGGK........",
    "..KGGGGGGGGGGGGK........",
    "..KGGGGGGGGGGGGK........",
    "..KGGGGGGGGGGGGK........",
    "..KGGGGGGGGGGGGK........",
    "...KGGGGGGGGGGK.........",
    "...KGGGGGGGGGGK.........",
    "....KGGGGGGGGK..........",
    ".....KKGGGGKK...........",
    ".......KKKK.............",
    "........................",
    "........................",
};

Pixel PictureColour(char c) {
  switch (c) {
    case 'W': return 0xFFFFFF;
    case 'K': return 0x000000;
    case 'G': return 0xDCDCDC;
    case 'Y': return 0xFFF200;
  }
  Require(false, "unknown letter in a picture table");
  return 0;
}

uint32_t IconColour(char c) {
  switch (c) {
    case '.': return 0x00000000;
    case 'K': return 0xFF000000;
    case 'G': return 0xFFB4B4B4;
    case 'Y': return 0xFFFFF200;
  }
  Require(false, "unknown letter in the icon table");
  return 0;
}

template <size_t N>
Bitmap FromTable(const char* const (&rows)[N]) {
  Bitmap b{int(N), int(N)};
  for (size_t y = 0; y < N; ++y)
    for (size_t x = 0; x < N; ++x) b.Set(int(x), int(y), PictureColour(rows[y][x]));
  return b;
}

}  // namespace

Bitmap LeftLauncherPicture() { return FromTable(kLeftLauncher); }

Bitmap BallPicture() { return FromTable(kBall); }

Bitmap RightLauncherPicture() { return DiscPicture(128, 0x22B14C, true); }

ArgbImage ProgramIcon() {
  ArgbImage icon;
  icon.width = icon.height = 24;
  icon.pixels.reserve(24 * 24);
  for (const char* row : kIcon)
    for (int x = 0; x < 24; ++x) icon.pixels.push_back(IconColour(row[x]));
  return icon;
}

}  // namespace tv
