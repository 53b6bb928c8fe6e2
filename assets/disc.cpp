#include "assets/disc.h"

#include <array>

#include "platform/base/require.h"

namespace tv {
namespace {

constexpr Pixel kWhite = 0xFFFFFF;
constexpr Pixel kRimGrey = 0xDCDCDC;

// Discs smaller than this are left solid: a rim would swallow the colour.
constexpr int kSmallestRimmedSide = 10;

constexpr std::array<int, kLevelCount> kLevelSides = {128, 100, 80, 64, 32, 16, 10, 3};

// Hue falls from green through yellow and orange to red; the first matches
// the built-in launcher.
constexpr std::array<Pixel, kLevelCount> kLevelColours = {
    0x22B14C, 0x5DB83A, 0xA3BF2E, 0xD9B826, 0xF29A1F, 0xEE6F1E, 0xEA4621, 0xED1C24,
};

}  // namespace

Bitmap DiscPicture(int side, Pixel fill, bool rim) {
  Require(side > 0, "a disc needs a positive size");
  Bitmap b(side, side, kWhite);
  // A radius a little short of half the side keeps the disc touching every
  // edge along a short run (10 pixels at 128) instead of a single pixel, and
  // leaves the corners outside.
  const double centre = (side - 1) / 2.0;
  const double radius = side / 2.0 - 0.3;
  auto inside = [&](int x, int y) {
    if (x < 0 || y < 0 || x >= side || y >= side) return false;
    double dx = x - centre, dy = y - centre;
    return dx * dx + dy * dy <= radius * radius;
  };
  for (int y = 0; y < side; ++y) {
    for (int x = 0; x < side; ++x) {
      if (!inside(x, y)) continue;
      bool boundary = !inside(x - 1, y) || !inside(x + 1, y) || !inside(x, y - 1) || !inside(x, y + 1);
      b.Set(x, y, rim && boundary ? kRimGrey : fill);
    }
  }
  return b;
}

int LevelSide(int level) {
  Require(level >= 1 && level <= kLevelCount, "no such level");
  return kLevelSides[size_t(level - 1)];
}

Pixel LevelColour(int level) {
  Require(level >= 1 && level <= kLevelCount, "no such level");
  return kLevelColours[size_t(level - 1)];
}

Bitmap LevelPicture(int level) {
  int side = LevelSide(level);
  return DiscPicture(side, LevelColour(level), side >= kSmallestRimmedSide);
}

}  // namespace tv
