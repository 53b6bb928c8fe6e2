// Draws the backdrop, the Earth seen from orbit, and writes it as a baseline
// JPEG: usage `make_backdrop OUT.jpg`.
//
// The picture is rendered procedurally (value-noise clouds over a shaded ocean,
// foreshortened towards the limb) so that nothing but this file is needed to
// rebuild it. A few points of it are fixed because the game reads them: the
// sky colour, the pixel at (40, 10) and the limb's course. The generator decodes
// its own output and fails the build when (40, 10) is not exactly the sky colour.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <cstdlib>
#include <string>
#include <vector>

#include <jpeglib.h>

#include "platform/files/atomic_file.h"

namespace {

constexpr int kWidth = 593;
constexpr int kHeight = 402;
// Below this the compression rings the sky next to the limb by more than a
// few levels.
constexpr int kQuality = 99;

struct Rgb {
  double r, g, b;
};
constexpr Rgb kSky{17, 17, 15};

Rgb Mix(Rgb a, Rgb b, double t) {
  return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}
Rgb Scale(Rgb a, double k) { return {a.r * k, a.g * k, a.b * k}; }
double Clamp01(double v) { return v < 0 ? 0 : (v > 1 ? 1 : v); }
double SmoothStep(double e0, double e1, double v) {
  double t = Clamp01((v - e0) / (e1 - e0));
  return t * t * (3 - 2 * t);
}

// The limb is an arc of a large circle through (0, 50), (300, 95) and
// (585, 165); its centre lies far below the picture's left edge.
constexpr double kLimbCx = -331.0321100917431;
constexpr double kLimbCy = 3279.380733944954;
constexpr double kLimbR = 3246.302848270112;

// Depth below the limb in pixels, measured along the planet's radius
// (negative in the sky).
double Depth(double x, double y) { return kLimbR - std::hypot(x - kLimbCx, y - kLimbCy); }

// Value noise on an integer lattice with a fixed hash, so every build draws
// the same picture.
double Lattice(int x, int y, uint32_t seed) {
  uint32_t h = uint32_t(x) * 0x8DA6B343u ^ uint32_t(y) * 0xD8163841u ^ seed * 0xCB1AB31Fu;
  h ^= h >> 15;
  h *= 0x2C1B3C6Du;
  h ^= h >> 12;
  h *= 0x297A2D39u;
  h ^= h >> 15;
  return double(h & 0xFFFFFF) / double(0xFFFFFF);
}

double ValueNoise(double x, double y, uint32_t seed) {
  double fx = std::floor(x), fy = std::floor(y);
  int ix = int(fx), iy = int(fy);
  double tx = x - fx, ty = y - fy;
  tx = tx * tx * (3 - 2 * tx);
  ty = ty * ty * (3 - 2 * ty);
  double a = Lattice(ix, iy, seed), b = Lattice(ix + 1, iy, seed);
  double c = Lattice(ix, iy + 1, seed), d = Lattice(ix + 1, iy + 1, seed);
  return (a + (b - a) * tx) + ((c + (d - c) * tx) - (a + (b - a) * tx)) * ty;
}

// Fractal sum of octaves, roughly in [0, 1].
double Fbm(double x, double y, uint32_t seed, int octaves) {
  double sum = 0, amp = 0.5, norm = 0;
  for (int i = 0; i < octaves; ++i) {
    sum += amp * ValueNoise(x, y, seed + uint32_t(i) * 101u);
    norm += amp;
    x = x * 2.03 + 17.1;
    y = y * 1.97 + 5.3;
    amp *= 0.5;
  }
  return sum / norm;
}

// Surface coordinates seen from orbit: close to the limb the ground is seen
// at a grazing angle, so it is squeezed across the limb. (Squeezing along the
// limb as well would shear the clouds, since the arc length is measured from
// far outside the picture.)
void SurfaceCoords(double x, double y, double& u, double& v) {
  double d = std::max(0.0, Depth(x, y));
  double along = std::atan2(x - kLimbCx, kLimbCy - y) * kLimbR;
  v = 34.0 * std::sqrt(d + 9.0);
  u = along * 1.25;
}

// Cover of scattered cloud in [0, 1] at a surface point, with a brightness
// texture for its tops.
double CloudCover(double u, double v, double& tex) {
  double wu = u / 70.0, wv = v / 70.0;
  double warpU = Fbm(wu * 0.5, wv * 0.5, 7, 3) - 0.5;
  double warpV = Fbm(wu * 0.5, wv * 0.5, 13, 3) - 0.5;
  double n = Fbm(wu + 1.6 * warpU, wv + 1.6 * warpV, 11, 6);
  tex = Fbm(u / 14.0, v / 14.0, 23, 4);
  return SmoothStep(0.58, 0.68, n);
}

// The bright cloud bank of the lower-left quarter: a ragged front around the
// quarter's upper and right edges.
double BankCover(double x, double y) {
  double edge = Fbm(x / 45.0, y / 45.0, 31, 5) - 0.5;
  double right = 330.0 + 90.0 * edge - x;
  double top = y - (185.0 - 70.0 * edge - 0.10 * x);
  return SmoothStep(-6, 18, std::min(right, top));
}

Rgb Ocean(double x, double y, double depth) {
  const Rgb mid{79, 147, 177}, deep{65, 118, 159}, haze{86, 138, 186};
  double s = 0.5 * x / kWidth + 0.5 * y / kHeight;
  Rgb c = Mix(mid, deep, SmoothStep(0.45, 0.95, s));
  double swell = Fbm(x / 90.0, y / 40.0, 41, 4) - 0.5;
  c = Scale(c, 1.0 + 0.07 * swell);
  // Seen through more air towards the limb.
  return Mix(c, haze, 0.55 * std::exp(-depth / 22.0));
}

// The thin band of air along the limb: deep blue at the edge of space,
// brightening towards the ground.
Rgb Atmosphere(Rgb ground, double depth) {
  const Rgb edge{16, 28, 92}, glow{40, 84, 176};
  if (depth < 2.5) return Mix(edge, glow, depth / 2.5);
  return Mix(glow, ground, SmoothStep(2.5, 9.0, depth));
}

Rgb Shade(int px, int py) {
  double x = px + 0.5, y = py + 0.5;
  double depth = Depth(x, y);
  if (depth < -0.5) return kSky;

  double u, v;
  SurfaceCoords(x, y, u, v);
  double tex = 0;
  double cloud = CloudCover(u, v, tex);
  // Shadows fall a little below and right of each cloud.
  double su, sv, stex;
  SurfaceCoords(x - 4, y - 5, su, sv);
  double shadow = CloudCover(su, sv, stex);

  Rgb c = Scale(Ocean(x, y, depth), 1.0 - 0.22 * shadow * (1 - cloud));
  const Rgb thin{205, 218, 226}, thick{246, 249, 250};
  c = Mix(c, Mix(thin, thick, SmoothStep(0.35, 0.75, tex)), cloud * 0.95);

  double bank = BankCover(x, y);
  if (bank > 0) {
    // Billows lit from the upper right: brighter where the surface rises
    // towards the light.
    double body = Fbm(x / 60.0, y / 42.0, 53, 4);
    double relief = body - Fbm((x - 4) / 60.0, (y + 4) / 42.0, 53, 4);
    double grain = Fbm(x / 9.0, y / 7.0, 59, 3) - 0.5;
    double lit = Clamp01(0.55 + 7.0 * relief + 0.8 * (body - 0.5) + 0.25 * grain);
    Rgb bankColour = Mix({120, 142, 152}, {214, 227, 230}, lit);
    c = Mix(c, bankColour, bank);
  }

  // Clouds thin out and the air takes over right at the limb.
  c = Atmosphere(c, depth);
  // Soften the limb against the sky over three pixels: a hard edge would ring
  // in the JPEG and stain the sky above it.
  if (depth < 2.5) c = Mix(kSky, c, SmoothStep(-0.5, 2.5, depth));
  return c;
}

uint8_t ToByte(double v) { return uint8_t(v < 0 ? 0 : (v > 255 ? 255 : std::lround(v))); }

std::vector<uint8_t> Render() {
  std::vector<uint8_t> rgb(size_t(kWidth) * kHeight * 3);
  for (int y = 0; y < kHeight; ++y) {
    for (int x = 0; x < kWidth; ++x) {
      Rgb c = Shade(x, y);
      uint8_t* p = &rgb[(size_t(y) * kWidth + x) * 3];
      p[0] = ToByte(c.r);
      p[1] = ToByte(c.g);
      p[2] = ToByte(c.b);
    }
  }
  // A faint grain in the sky, a level or two off, as a camera leaves it; kept
  // well away from the top-left corner, where the game probes the sky.
  for (int i = 0; i < 60; ++i) {
    int x = 120 + int(Lattice(i, 1, 71) * (kWidth - 120));
    int y = int(Lattice(i, 2, 71) * 60);
    if (Depth(x + 0.5, y + 0.5) > -6) continue;
    int delta = 1 + int(Lattice(i, 3, 71) * 2);
    uint8_t* p = &rgb[(size_t(y) * kWidth + x) * 3];
    for (int k = 0; k < 3; ++k) p[k] = uint8_t(p[k] + delta);
  }
  return rgb;
}

std::vector<uint8_t> EncodeJpeg(const std::vector<uint8_t>& rgb) {
  jpeg_compress_struct cinfo{};
  jpeg_error_mgr jerr{};
  cinfo.err = jpeg_std_error(&jerr);
  jpeg_create_compress(&cinfo);
  unsigned char* out = nullptr;
  unsigned long outSize = 0;
  jpeg_mem_dest(&cinfo, &out, &outSize);
  cinfo.image_width = kWidth;
  cinfo.image_height = kHeight;
  cinfo.input_components = 3;
  cinfo.in_color_space = JCS_RGB;
  jpeg_set_defaults(&cinfo);
  jpeg_set_quality(&cinfo, kQuality, TRUE);
  // Full-resolution chroma: the thin blue band would smear with subsampling.
  for (int i = 0; i < cinfo.num_components; ++i) {
    cinfo.comp_info[i].h_samp_factor = 1;
    cinfo.comp_info[i].v_samp_factor = 1;
  }
  cinfo.restart_in_rows = 1;
  jpeg_start_compress(&cinfo, TRUE);
  while (cinfo.next_scanline < cinfo.image_height) {
    JSAMPROW row = const_cast<JSAMPROW>(&rgb[size_t(cinfo.next_scanline) * kWidth * 3]);
    jpeg_write_scanlines(&cinfo, &row, 1);
  }
  jpeg_finish_compress(&cinfo);
  std::vector<uint8_t> bytes(out, out + outSize);
  jpeg_destroy_compress(&cinfo);
  std::free(out);
  return bytes;
}

std::vector<uint8_t> DecodeJpeg(const std::vector<uint8_t>& jpeg) {
  jpeg_decompress_struct cinfo{};
  jpeg_error_mgr jerr{};
  cinfo.err = jpeg_std_error(&jerr);
  jpeg_create_decompress(&cinfo);
  jpeg_mem_src(&cinfo, jpeg.data(), jpeg.size());
  jpeg_read_header(&cinfo, TRUE);
  cinfo.out_color_space = JCS_RGB;
  jpeg_start_decompress(&cinfo);
  std::vector<uint8_t> rgb(size_t(cinfo.output_width) * cinfo.output_height * 3);
  while (cinfo.output_scanline < cinfo.output_height) {
    JSAMPROW row = &rgb[size_t(cinfo.output_scanline) * cinfo.output_width * 3];
    jpeg_read_scanlines(&cinfo, &row, 1);
  }
  jpeg_finish_decompress(&cinfo);
  jpeg_destroy_decompress(&cinfo);
  return rgb;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s OUT.jpg\n", argv[0]);
    return 2;
  }
  std::vector<uint8_t> jpeg = EncodeJpeg(Render());

  // The game's set-up probes (40, 10) for pure black; it must read the sky.
  std::vector<uint8_t> back = DecodeJpeg(jpeg);
  const uint8_t* probe = &back[(size_t(10) * kWidth + 40) * 3];
  if (probe[0] != 17 || probe[1] != 17 || probe[2] != 15) {
    std::fprintf(stderr, "make_backdrop: (40, 10) decodes to %d,%d,%d, not 17,17,15\n", probe[0],
                 probe[1], probe[2]);
    return 1;
  }

  // Whole or not at all, so an interrupted build leaves no half file.
  if (int err = tv::WriteWholeFile(argv[1], std::string_view(reinterpret_cast<const char*>(jpeg.data()), jpeg.size()))) {
    std::fprintf(stderr, "%s: %s\n", argv[1], std::strerror(err));
    return 1;
  }
  return 0;
}
