// Writes the fuzzer's seed corpus: one small valid file of each layout the
// loader reads. Usage: make_seeds DIR
#include <cstdio>
#include <string>
#include <vector>

#include "tests/fuzz/bmp_writer.h"

using tvtest::BmpFields;

namespace {

constexpr int kW = 5, kH = 3;
const std::vector<uint32_t> kIndices = {1, 0, 1, 1, 0, 0, 1, 0, 1, 1, 1, 1, 0, 0, 0};
const std::vector<uint32_t> kColours = {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF, 0x000000,
                                        0x123456, 0xABCDEF, 0x808080, 0x22B14C, 0xFFF200,
                                        0x11110F, 0xDCDCDC, 0x0F0F0F, 0xF0F0F0, 0x7F7F7F};

BmpFields Fields(int bits, bool topDown = false, uint32_t compression = 0) {
  BmpFields f;
  f.width = kW;
  f.height = topDown ? -kH : kH;
  f.bitCount = uint16_t(bits);
  f.compression = compression;
  if (bits <= 8) f.palette.assign(size_t(1) << bits, 0x336699), f.palette[0] = 0xFFFFFF;
  return f;
}

bool Write(const std::string& path, const std::vector<uint8_t>& bytes) {
  FILE* f = std::fopen(path.c_str(), "wb");
  return f && std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size() && std::fclose(f) == 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s DIR\n", argv[0]);
    return 2;
  }
  const std::string dir = argv[1];
  std::vector<std::pair<std::string, std::vector<uint8_t>>> seeds;
  for (int bits : {1, 2, 4, 8}) {
    seeds.push_back({"indexed" + std::to_string(bits) + ".bmp",
                     tvtest::BuildBmp(Fields(bits), tvtest::PackRows(kW, kH, bits, false, kIndices))});
  }
  for (int bits : {24, 32}) {
    seeds.push_back({"rgb" + std::to_string(bits) + ".bmp",
                     tvtest::BuildBmp(Fields(bits), tvtest::PackRows(kW, kH, bits, false, kColours))});
  }
  seeds.push_back({"topdown24.bmp", tvtest::BuildBmp(Fields(24, true), tvtest::PackRows(kW, kH, 24, true, kColours))});
  seeds.push_back({"rle8.bmp", tvtest::BuildBmp(Fields(8, false, 1), tvtest::PackRle8(kW, kH, kIndices))});
  BmpFields rle4 = Fields(4, false, 2);
  rle4.width = 4;
  rle4.height = 2;
  seeds.push_back({"rle4.bmp", tvtest::BuildBmp(rle4, {4, 0x12, 0, 0, 0, 4, 0x12, 0x34, 0, 0, 0, 1})});
  BmpFields os2 = Fields(8);
  os2.infoSize = 12;
  seeds.push_back({"os2.bmp", tvtest::BuildBmp(os2, tvtest::PackRows(kW, kH, 8, false, kIndices))});
  BmpFields masked = Fields(16, false, 3);
  masked.masks = {0xF800, 0x07E0, 0x001F};
  seeds.push_back({"bitfields16.bmp", tvtest::BuildBmp(masked, tvtest::PackRows(kW, kH, 16, false, kIndices))});
  BmpFields v5 = Fields(32);
  v5.infoSize = 124;
  seeds.push_back({"v5.bmp", tvtest::BuildBmp(v5, tvtest::PackRows(kW, kH, 32, false, kColours))});

  for (const auto& [name, bytes] : seeds) {
    if (!Write(dir + "/" + name, bytes)) {
      std::perror((dir + "/" + name).c_str());
      return 1;
    }
  }
  return 0;
}
