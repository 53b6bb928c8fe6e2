// The built-in pictures: their shapes and the properties the game relies on
// (transparent white corners, symmetry, the disc's rim rule), and the backdrop
// as decoded from the bytes built into the program.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <set>
#include <span>
#include <vector>

#include <jpeglib.h>

#include "assets/backdrop.h"
#include "assets/disc.h"
#include "assets/pictures.h"
#include "platform/base/icon_size.h"

namespace tv {
namespace {

constexpr Pixel kWhite = 0xFFFFFF;
constexpr Pixel kBlack = 0x000000;
constexpr Pixel kGrey = 0xDCDCDC;
constexpr Pixel kYellow = 0xFFF200;
constexpr Pixel kGreen = 0x22B14C;

int R(Pixel p) { return int(p >> 16 & 0xFF); }
int G(Pixel p) { return int(p >> 8 & 0xFF); }
int B(Pixel p) { return int(p & 0xFF); }

bool MirrorsLeftRight(const Bitmap& b) {
  for (int y = 0; y < b.height; ++y)
    for (int x = 0; x < b.width; ++x)
      if (b.At(x, y) != b.At(b.width - 1 - x, y)) return false;
  return true;
}
bool MirrorsTopBottom(const Bitmap& b) {
  for (int y = 0; y < b.height; ++y)
    for (int x = 0; x < b.width; ++x)
      if (b.At(x, y) != b.At(x, b.height - 1 - y)) return false;
  return true;
}
std::set<Pixel> Colours(const Bitmap& b) { return {b.pixels.begin(), b.pixels.end()}; }

TEST(AssetPictures, LeftLauncherIsASymmetricGreyPodOnWhite) {
  Bitmap b = LeftLauncherPicture();
  ASSERT_EQ(b.width, 16);
  ASSERT_EQ(b.height, 16);
  ASSERT_EQ(b.pixels.size(), 256u);
  EXPECT_TRUE(MirrorsLeftRight(b));
  EXPECT_TRUE(MirrorsTopBottom(b));
  EXPECT_EQ(Colours(b), (std::set<Pixel>{kWhite, kBlack, kGrey}));
  EXPECT_FALSE(b.monochrome);
  EXPECT_EQ(b.TransparentPixel(), kWhite);
  // Outline: the top row's black run and the left column's.
  for (int x = 0; x < 16; ++x) EXPECT_EQ(b.At(x, 0), x >= 5 && x <= 10 ? kBlack : kWhite) << x;
  for (int y = 0; y < 16; ++y) EXPECT_EQ(b.At(0, y), y >= 5 && y <= 10 ? kBlack : kWhite) << y;
  // The notch in each corner and the ring in the middle.
  EXPECT_EQ(b.At(1, 1), kBlack);
  EXPECT_EQ(b.At(3, 1), kWhite);
  EXPECT_EQ(b.At(2, 2), kWhite);
  EXPECT_EQ(b.At(3, 7), kBlack);
  EXPECT_EQ(b.At(6, 5), kBlack);
  EXPECT_EQ(b.At(7, 7), kGrey);
  EXPECT_EQ(b.At(4, 4), kGrey);
}

TEST(AssetPictures, BallIsAYellowDiscWithABlackOutline) {
  Bitmap b = BallPicture();
  ASSERT_EQ(b.width, 7);
  ASSERT_EQ(b.height, 7);
  EXPECT_TRUE(MirrorsLeftRight(b));
  EXPECT_TRUE(MirrorsTopBottom(b));
  EXPECT_EQ(b.TransparentPixel(), kWhite);
  int yellow = 0;
  for (Pixel p : b.pixels) yellow += p == kYellow;
  EXPECT_EQ(yellow, 21);
  for (auto [x, y] : {std::pair{0, 0}, {1, 0}, {0, 1}, {6, 6}}) EXPECT_EQ(b.At(x, y), kWhite);
  for (auto [x, y] : {std::pair{2, 0}, {4, 0}, {1, 1}, {0, 2}, {0, 4}, {5, 5}}) EXPECT_EQ(b.At(x, y), kBlack);
  EXPECT_EQ(b.At(3, 3), kYellow);
  EXPECT_EQ(b.At(1, 2), kYellow);
}

// Every size of the window's and the program file's icons shows the whole
// picture: whole blocks from 24 pixels up, averaged below, never a crop.
TEST(AssetPictures, IconsOfEverySizeShowTheWholePicture) {
  const ArgbImage icon = ProgramIcon();
  auto opacity = [](const ArgbImage& im) {
    double a = 0;
    for (uint32_t p : im.pixels) a += double(p >> 24) / 255.0;
    return a;
  };
  const ArgbImage at32 = IconAt(icon, 32);
  for (int y = 0; y < 24; ++y)
    for (int x = 0; x < 24; ++x)
      EXPECT_EQ(at32.pixels[size_t(y + 4) * 32 + size_t(x + 4)], icon.pixels[size_t(y) * 24 + size_t(x)]);
  const ArgbImage at16 = IconAt(icon, 16);
  ASSERT_EQ(at16.pixels.size(), 16u * 16u);
  // As much of it covered, in proportion: a crop would lose the ball's edge.
  EXPECT_NEAR(opacity(at16) * 24 * 24 / (16 * 16), opacity(icon), 0.5);
  EXPECT_EQ(at16.pixels[13 * 16 + 13] >> 24, 0u);   // the empty lower right stays clear
  EXPECT_EQ(at16.pixels[3 * 16 + 13], 0xFFFFF200u);  // the ball's yellow, whole
  EXPECT_EQ(at16.pixels[9 * 16 + 5], 0xFFB4B4B4u);   // the planet's grey, whole
}

TEST(AssetPictures, IconHasAPlanetAndABallOnATransparentGround) {
  ArgbImage icon = ProgramIcon();
  ASSERT_EQ(icon.width, 24);
  ASSERT_EQ(icon.height, 24);
  ASSERT_EQ(icon.pixels.size(), 24u * 24u);
  auto at = [&](int x, int y) { return icon.pixels[size_t(y) * 24 + size_t(x)]; };
  for (uint32_t p : icon.pixels) {
    // Fully transparent or fully opaque, and only the four colours.
    EXPECT_TRUE(p == 0 || p == 0xFF000000 || p == 0xFFB4B4B4 || p == 0xFFFFF200) << std::hex << p;
  }
  for (auto [x, y] : {std::pair{0, 0}, {23, 0}, {0, 23}, {23, 23}}) EXPECT_EQ(at(x, y), 0u);
  EXPECT_EQ(at(19, 5), 0xFFFFF200u);  // the ball's centre
  EXPECT_EQ(at(8, 14), 0xFFB4B4B4u);  // the planet's centre
  EXPECT_EQ(at(2, 12), 0xFF000000u);
  // The planet (columns 2..15, rows 7..21) mirrors about x 8.5 and y 14; the
  // ball (columns 16..22, rows 2..8) about x 19 and y 5.
  for (int y = 7; y <= 21; ++y)
    for (int x = 2; x <= 15; ++x) {
      EXPECT_EQ(at(x, y), at(17 - x, y)) << x << "," << y;
      EXPECT_EQ(at(x, y), at(x, 28 - y)) << x << "," << y;
    }
  for (int y = 2; y <= 8; ++y)
    for (int x = 16; x <= 22; ++x) {
      EXPECT_EQ(at(x, y), at(38 - x, y)) << x << "," << y;
      EXPECT_EQ(at(x, y), at(x, 10 - y)) << x << "," << y;
    }
  // Nothing outside those two shapes.
  for (int y = 0; y < 24; ++y)
    for (int x = 0; x < 24; ++x) {
      bool planet = x >= 2 && x <= 15 && y >= 7 && y <= 21, ball = x >= 16 && x <= 22 && y >= 2 && y <= 8;
      if (!planet && !ball) {
        EXPECT_EQ(at(x, y), 0u) << x << "," << y;
      }
    }
}

// The rim rule checked pixel by pixel: outside white, boundary grey, the rest
// the fill colour. A pixel beyond the square counts as outside.
void ExpectDiscRule(const Bitmap& b, Pixel fill, bool rim) {
  auto inside = [&](int x, int y) {
    return x >= 0 && y >= 0 && x < b.width && y < b.height && b.At(x, y) != kWhite;
  };
  for (int y = 0; y < b.height; ++y)
    for (int x = 0; x < b.width; ++x) {
      if (!inside(x, y)) continue;
      bool boundary = !inside(x - 1, y) || !inside(x + 1, y) || !inside(x, y - 1) || !inside(x, y + 1);
      ASSERT_EQ(b.At(x, y), rim && boundary ? kGrey : fill) << x << "," << y;
    }
}

TEST(AssetPictures, RightLauncherIsTheGreenDiscWithAGreyRim) {
  Bitmap b = RightLauncherPicture();
  ASSERT_EQ(b.width, 128);
  ASSERT_EQ(b.height, 128);
  EXPECT_TRUE(MirrorsLeftRight(b));
  EXPECT_TRUE(MirrorsTopBottom(b));
  EXPECT_EQ(b.At(0, 127), kWhite);
  EXPECT_EQ(b.TransparentPixel(), kWhite);
  for (int x = 0; x < 128; ++x) EXPECT_EQ(b.At(x, 0) != kWhite, x >= 59 && x <= 68) << x;
  for (int y = 0; y < 128; ++y) {
    bool full = true;
    for (int x = 0; x < 128; ++x) full = full && b.At(x, y) != kWhite;
    EXPECT_EQ(full, y >= 59 && y <= 68) << y;
  }
  ExpectDiscRule(b, kGreen, true);
  // Each row's span follows a circle of radius about 63.7 around (63.5, 63.5).
  for (int y = 0; y < 128; ++y) {
    int left = 0;
    while (b.At(left, y) == kWhite) ++left;
    double dy = y - 63.5, half = std::sqrt(63.7 * 63.7 - dy * dy);
    EXPECT_NEAR(63.5 - left + 0.5, half, 1.0) << y;
  }
}

TEST(AssetLevelPictures, SidesShrinkFromLevelOneToEight) {
  const int sides[] = {128, 100, 80, 64, 32, 16, 10, 3};
  for (int level = 1; level <= kLevelCount; ++level) EXPECT_EQ(LevelSide(level), sides[level - 1]);
}

TEST(AssetLevelPictures, EachIsADiscTouchingEveryEdgeWithWhiteCorners) {
  for (int level = 1; level <= kLevelCount; ++level) {
    SCOPED_TRACE(level);
    Bitmap b = LevelPicture(level);
    const int n = LevelSide(level);
    ASSERT_EQ(b.width, n);
    ASSERT_EQ(b.height, n);
    EXPECT_EQ(b.At(0, n - 1), kWhite);
    EXPECT_EQ(b.At(0, 0), kWhite);
    EXPECT_TRUE(MirrorsLeftRight(b));
    EXPECT_TRUE(MirrorsTopBottom(b));
    EXPECT_NE(b.At(n / 2, 0), kWhite);
    EXPECT_NE(b.At(0, n / 2), kWhite);
    EXPECT_EQ(b.At(n / 2, n / 2), LevelColour(level));
    // Small discs stay solid: a rim would leave little of the colour.
    ExpectDiscRule(b, LevelColour(level), n >= 10);
  }
}

TEST(AssetLevelPictures, LevelOneMatchesTheBuiltInLauncher) {
  Bitmap level1 = LevelPicture(1);
  EXPECT_EQ(level1.pixels, RightLauncherPicture().pixels);
}

TEST(AssetLevelPictures, ColourWarmsFromGreenToRed) {
  EXPECT_EQ(LevelColour(1), kGreen);
  for (int level = 2; level <= kLevelCount; ++level) {
    Pixel before = LevelColour(level - 1), now = LevelColour(level);
    EXPECT_GT(R(now) - G(now), R(before) - G(before)) << level;
  }
  Pixel red = LevelColour(kLevelCount);
  EXPECT_GT(R(red), 200);
  EXPECT_LT(G(red), 60);
  EXPECT_LT(B(red), 60);
}

// --- The backdrop ---------------------------------------------------------

bool IsSky(Pixel p, int tolerance) {
  return std::abs(R(p) - 17) <= tolerance && std::abs(G(p) - 17) <= tolerance && std::abs(B(p) - 15) <= tolerance;
}
bool IsLit(Pixel p) { return std::max({R(p), G(p), B(p)}) >= 40; }
int Luma(Pixel p) { return (R(p) * 299 + G(p) * 587 + B(p) * 114) / 1000; }

// The limb's course: the circle through its three fixed points (0, 50),
// (300, 95) and (585, 165).
struct Limb {
  double cx, cy, r;
  Limb() {
    const double x1 = 0, y1 = 50, x2 = 300, y2 = 95, x3 = 585, y3 = 165;
    double a11 = 2 * (x2 - x1), a12 = 2 * (y2 - y1), a21 = 2 * (x3 - x1), a22 = 2 * (y3 - y1);
    double b1 = x2 * x2 - x1 * x1 + y2 * y2 - y1 * y1, b2 = x3 * x3 - x1 * x1 + y3 * y3 - y1 * y1;
    double det = a11 * a22 - a12 * a21;
    cx = (b1 * a22 - a12 * b2) / det;
    cy = (a11 * b2 - b1 * a21) / det;
    r = std::hypot(x1 - cx, y1 - cy);
  }
  double Y(double x) const { return cy - std::sqrt(r * r - (x - cx) * (x - cx)); }
};

TEST(AssetBackdrop, DecodesOnceToItsSize) {
  const Bitmap& b = BackdropPicture();
  EXPECT_EQ(b.width, 593);
  EXPECT_EQ(b.height, 402);
  EXPECT_EQ(b.pixels.size(), 593u * 402u);
  EXPECT_EQ(&BackdropPicture(), &b);
  for (Pixel p : b.pixels) ASSERT_EQ(p >> 24, 0u);
}

TEST(AssetBackdrop, ProbePointIsTheSkyGreyNotBlack) {
  const Bitmap& b = BackdropPicture();
  EXPECT_EQ(b.At(40, 10), 0x11110Fu);
  // The sky around the probe is flat, so no decoder rounding can move it.
  for (int y = 0; y < 32; ++y)
    for (int x = 0; x < 120; ++x) ASSERT_EQ(b.At(x, y), 0x11110Fu) << x << "," << y;
}

TEST(AssetBackdrop, LimbRunsWhereTheSkyEnds) {
  const Bitmap& b = BackdropPicture();
  const Limb limb;
  EXPECT_NEAR(limb.Y(592), 167, 0.5);
  long skyPixels = 0, offPixels = 0;
  for (int x = 0; x < b.width; ++x) {
    SCOPED_TRACE(x);
    const int edge = int(std::lround(limb.Y(x + 0.5)));
    // Above the limb, the sky grey, at most a few levels off where the
    // compression touches it near the limb.
    for (int y = 0; y <= edge - 2; ++y) {
      ASSERT_TRUE(IsSky(b.At(x, y), 3)) << y;
      ++skyPixels;
      offPixels += b.At(x, y) != 0x11110F;
    }
    // Below it, the lit planet.
    for (int y = edge + 2; y < b.height; ++y) ASSERT_TRUE(IsLit(b.At(x, y))) << y;
  }
  EXPECT_LT(offPixels * 50, skyPixels);
}

TEST(AssetBackdrop, DeepBlueBandAlongTheLimb) {
  const Bitmap& b = BackdropPicture();
  for (auto [x, limb] : {std::pair{0, 50}, {300, 95}, {585, 165}}) {
    Pixel p = b.At(x, limb + 2);
    EXPECT_GT(B(p), R(p) + 50) << x;
    EXPECT_GT(B(p), G(p) + 30) << x;
  }
}

// Median colour of the open ocean's pixels (clearly blue: no cloud, no
// cloud edge) in a box.
Pixel OceanMedian(const Bitmap& b, int x0, int y0, int x1, int y1) {
  std::vector<int> r, g, bl;
  for (int y = y0; y < y1; ++y)
    for (int x = x0; x < x1; ++x) {
      Pixel p = b.At(x, y);
      if (B(p) - R(p) < 70) continue;
      r.push_back(R(p)), g.push_back(G(p)), bl.push_back(B(p));
    }
  if (r.size() < 1000) return 0;
  auto median = [](std::vector<int>& v) {
    std::nth_element(v.begin(), v.begin() + std::ptrdiff_t(v.size() / 2), v.end());
    return Pixel(v[v.size() / 2]);
  };
  return median(r) << 16 | median(g) << 8 | median(bl);
}

TEST(AssetBackdrop, OceanDarkensTowardsTheLowerRight) {
  const Bitmap& b = BackdropPicture();
  Pixel middle = OceanMedian(b, 200, 120, 400, 280);
  Pixel lowerRight = OceanMedian(b, 480, 320, 593, 402);
  ASSERT_NE(middle, 0u);
  ASSERT_NE(lowerRight, 0u);
  auto near = [](Pixel p, Pixel want) {
    return std::abs(R(p) - R(want)) <= 12 && std::abs(G(p) - G(want)) <= 12 && std::abs(B(p) - B(want)) <= 12;
  };
  EXPECT_TRUE(near(middle, 0x4F93B1)) << std::hex << middle;
  EXPECT_TRUE(near(lowerRight, 0x41769F)) << std::hex << lowerRight;
  EXPECT_LT(Luma(lowerRight), Luma(middle));
}

TEST(AssetBackdrop, BrightCloudBankFillsTheLowerLeftQuarter) {
  const Bitmap& b = BackdropPicture();
  long sum = 0, bright = 0, n = 0;
  for (int y = 201; y < 402; ++y)
    for (int x = 0; x < 296; ++x) {
      int l = Luma(b.At(x, y));
      sum += l, bright += l >= 120, ++n;
    }
  EXPECT_GT(bright * 10, n * 9);
  // Around #9CB3B8 on average, well above the ocean's brightness.
  EXPECT_NEAR(double(sum) / double(n), Luma(0x9CB3B8), 20.0);
  EXPECT_GT(double(sum) / double(n), Luma(0x4F93B1) + 30);
}

TEST(AssetBackdrop, JpegIsBaselineYCbCrWithoutSubsamplingAndRowRestarts) {
  std::span<const uint8_t> jpeg = BackdropJpeg();
  ASSERT_GT(jpeg.size(), 1000u);
  ASSERT_EQ(jpeg[0], 0xFF);
  ASSERT_EQ(jpeg[1], 0xD8);
  // The frame header is SOF0 (baseline), and no other kind of frame occurs.
  // Walk the marker segments up to the scan.
  int sof0 = 0, otherSof = 0;
  size_t i = 2;
  while (i + 4 <= jpeg.size() && jpeg[i] == 0xFF) {
    const uint8_t m = jpeg[i + 1];
    if (m == 0xDA) break;
    if (m == 0xC0) ++sof0;
    if (m >= 0xC1 && m <= 0xCF && m != 0xC4 && m != 0xC8 && m != 0xCC) ++otherSof;
    i += 2 + size_t(jpeg[i + 2] << 8 | jpeg[i + 3]);
  }
  ASSERT_LT(i + 1, jpeg.size());
  ASSERT_EQ(jpeg[i + 1], 0xDA) << "markers do not lead to the scan";
  EXPECT_EQ(sof0, 1);
  EXPECT_EQ(otherSof, 0);

  jpeg_decompress_struct cinfo{};
  jpeg_error_mgr jerr{};
  cinfo.err = jpeg_std_error(&jerr);
  jpeg_create_decompress(&cinfo);
  jpeg_mem_src(&cinfo, jpeg.data(), static_cast<unsigned long>(jpeg.size()));
  ASSERT_EQ(jpeg_read_header(&cinfo, TRUE), JPEG_HEADER_OK);
  EXPECT_EQ(cinfo.image_width, 593u);
  EXPECT_EQ(cinfo.image_height, 402u);
  EXPECT_EQ(cinfo.num_components, 3);
  EXPECT_EQ(cinfo.jpeg_color_space, JCS_YCbCr);
  EXPECT_EQ(cinfo.data_precision, 8);
  EXPECT_FALSE(cinfo.progressive_mode);
  for (int c = 0; c < cinfo.num_components; ++c) {
    EXPECT_EQ(cinfo.comp_info[c].h_samp_factor, 1) << c;
    EXPECT_EQ(cinfo.comp_info[c].v_samp_factor, 1) << c;
  }
  // One row of 8 x 8 blocks: 593 pixels need 75 of them.
  EXPECT_EQ(cinfo.restart_interval, 75u);
  jpeg_destroy_decompress(&cinfo);
}

}  // namespace
}  // namespace tv
