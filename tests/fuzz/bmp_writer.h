#pragma once
// Writes bitmap files byte by byte, for test inputs: the loader's tests, the
// fuzzer's seed corpus and the mutation test. Every header field can be set,
// including to values no honest writer would use.
#include <cstdint>
#include <vector>

namespace tvtest {

struct BmpFields {
  int32_t width = 1;
  int32_t height = 1;  // negative: rows stored top-down
  uint16_t bitCount = 24;
  uint32_t compression = 0;  // 0 none, 1 RLE8, 2 RLE4, 3 bit fields
  uint32_t infoSize = 40;    // 12: OS/2 1.x header with 16-bit sizes
  uint32_t coloursUsed = 0;
  std::vector<uint32_t> palette;  // 0x00RRGGBB
  std::vector<uint32_t> masks;    // R, G, B after a 40-byte header, for bit fields
};

inline void Put16(std::vector<uint8_t>& out, uint32_t v) {
  out.push_back(uint8_t(v));
  out.push_back(uint8_t(v >> 8));
}
inline void Put32(std::vector<uint8_t>& out, uint32_t v) {
  Put16(out, v & 0xFFFF);
  Put16(out, v >> 16);
}

// A whole file: headers, palette, then `pixelData` exactly as given.
inline std::vector<uint8_t> BuildBmp(const BmpFields& f, const std::vector<uint8_t>& pixelData) {
  std::vector<uint8_t> info;
  Put32(info, f.infoSize);
  if (f.infoSize == 12) {
    Put16(info, uint32_t(f.width));
    Put16(info, uint32_t(f.height));
    Put16(info, 1);
    Put16(info, f.bitCount);
  } else {
    Put32(info, uint32_t(f.width));
    Put32(info, uint32_t(f.height));
    Put16(info, 1);
    Put16(info, f.bitCount);
    Put32(info, f.compression);
    Put32(info, uint32_t(pixelData.size()));
    Put32(info, 2835);
    Put32(info, 2835);
    Put32(info, f.coloursUsed);
    Put32(info, 0);
    while (info.size() < f.infoSize) info.push_back(0);
  }
  for (uint32_t m : f.masks) Put32(info, m);
  for (uint32_t c : f.palette) {
    info.push_back(uint8_t(c));
    info.push_back(uint8_t(c >> 8));
    info.push_back(uint8_t(c >> 16));
    if (f.infoSize != 12) info.push_back(0);
  }

  std::vector<uint8_t> out{'B', 'M'};
  const uint32_t offBits = uint32_t(14 + info.size());
  Put32(out, uint32_t(offBits + pixelData.size()));
  Put32(out, 0);
  Put32(out, offBits);
  out.insert(out.end(), info.begin(), info.end());
  out.insert(out.end(), pixelData.begin(), pixelData.end());
  return out;
}

// Uncompressed rows in file order. `values` holds one entry per pixel, row 0
// at the top: palette indices up to 8 bits, the raw 16-bit word, 0x00RRGGBB
// for 24 bits and 0xAARRGGBB for 32.
inline std::vector<uint8_t> PackRows(int width, int height, int bitCount, bool topDown,
                                     const std::vector<uint32_t>& values) {
  const size_t stride = (size_t(width) * size_t(bitCount) + 31) / 32 * 4;
  std::vector<uint8_t> out;
  for (int i = 0; i < height; ++i) {
    const int y = topDown ? i : height - 1 - i;
    std::vector<uint8_t> row(stride, 0);
    for (int x = 0; x < width; ++x) {
      const uint32_t v = values[size_t(y) * size_t(width) + size_t(x)];
      const size_t bit = size_t(x) * size_t(bitCount);
      if (bitCount < 8) {
        row[bit / 8] |= uint8_t(v << (8 - bitCount - bit % 8));
      } else {
        for (int k = 0; k < bitCount / 8; ++k) row[bit / 8 + size_t(k)] = uint8_t(v >> (8 * k));
      }
    }
    out.insert(out.end(), row.begin(), row.end());
  }
  return out;
}

// RLE8 data, bottom row first: each row as runs of equal indices (at most 255
// long), closed by end-of-line, the whole by end-of-bitmap.
inline std::vector<uint8_t> PackRle8(int width, int height, const std::vector<uint32_t>& indices) {
  std::vector<uint8_t> out;
  for (int y = height - 1; y >= 0; --y) {
    int x = 0;
    while (x < width) {
      const uint32_t v = indices[size_t(y) * size_t(width) + size_t(x)];
      int run = 1;
      while (x + run < width && run < 255 && indices[size_t(y) * size_t(width) + size_t(x + run)] == v) ++run;
      out.push_back(uint8_t(run));
      out.push_back(uint8_t(v));
      x += run;
    }
    out.push_back(0);
    out.push_back(0);
  }
  out.push_back(0);
  out.push_back(1);
  return out;
}

}  // namespace tvtest
