// Writes the program icon as PNGs with their alpha channel for the desktop's
// icon theme: OUTDIR/<N>x<N>/tarvolen.png for every size named; with
// `--ico FILE` also the Windows icon file, its sizes each a PNG inside.
//
// The picture is 24 x 24 pixels; larger icons scale it by the largest whole
// factor that fits (so every pixel stays a sharp square block) and centre it
// on a transparent canvas: 32 gets the picture as it is with a 4-pixel margin,
// 64 it doubled (48) with 8, 128 it five times (120) with 4, 256 ten times (240) with 8.
// The 16-pixel Windows icon averages it down (IconAt).
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "assets/pictures.h"
#include "platform/base/icon_size.h"
#include "platform/files/atomic_file.h"
#include "platform/files/file_read.h"
#include "platform/files/png.h"

namespace {

// The sizes Windows picks from: the taskbar, title bar, Explorer's views at every display scaling.
constexpr int kIcoSizes[] = {16, 24, 32, 48, 64, 128, 256};

void Put16(std::string& out, unsigned v) {
  out += char(v & 0xFF);
  out += char((v >> 8) & 0xFF);
}
void Put32(std::string& out, uint32_t v) {
  Put16(out, v & 0xFFFF);
  Put16(out, v >> 16);
}

// The PNG file of the icon at `size`, written by the one PNG writer through `scratch`; 0 or errno.
int PngBytes(const tv::ArgbImage& icon, int size, const std::string& scratch, std::string& out) {
  if (int err = tv::SavePng(tv::IconAt(icon, size), scratch)) return err;
  std::vector<uint8_t> bytes;
  const int err = tv::ReadRegularFile(scratch, size_t(1) << 24, bytes);
  std::error_code ec;
  std::filesystem::remove(scratch, ec);
  out.assign(bytes.begin(), bytes.end());
  return err;
}

// An icon directory with one PNG-compressed entry per size (Windows Vista and later read them).
int SaveIco(const tv::ArgbImage& icon, const std::string& path) {
  std::vector<std::string> pngs;
  for (int size : kIcoSizes) {
    pngs.emplace_back();
    if (int err = PngBytes(icon, size, path + ".part.png", pngs.back())) return err;
  }
  std::string out;
  Put16(out, 0);
  Put16(out, 1);  // an icon, not a cursor
  Put16(out, unsigned(pngs.size()));
  uint32_t offset = uint32_t(6 + 16 * pngs.size());
  for (size_t i = 0; i < pngs.size(); ++i) {
    const int size = kIcoSizes[i];
    out += char(size >= 256 ? 0 : size);  // 0 means 256
    out += char(size >= 256 ? 0 : size);
    out += '\0';  // no palette
    out += '\0';
    Put16(out, 1);   // planes
    Put16(out, 32);  // bits per pixel
    Put32(out, uint32_t(pngs[i].size()));
    Put32(out, offset);
    offset += uint32_t(pngs[i].size());
  }
  for (const std::string& png : pngs) out += png;
  return tv::WriteWholeFile(path, out);
}

}  // namespace

int main(int argc, char** argv) {
  std::string ico;
  if (argc >= 5 && std::string(argv[argc - 2]) == "--ico") {
    ico = argv[argc - 1];
    argc -= 2;
  }
  if (argc < 3) {
    std::fprintf(stderr, "usage: make_icon OUTDIR SIZE... [--ico FILE]\n");
    return 2;
  }
  const tv::ArgbImage icon = tv::ProgramIcon();
  for (int i = 2; i < argc; ++i) {
    const int size = std::atoi(argv[i]);
    if (size < 1 || size > 1024) {
      std::fprintf(stderr, "make_icon: bad size %s\n", argv[i]);
      return 2;
    }
    const std::string dir = std::string(argv[1]) + "/" + std::to_string(size) + "x" + std::to_string(size);
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    if (int err = tv::SavePng(tv::IconAt(icon, size), dir + "/tarvolen.png")) {
      std::fprintf(stderr, "make_icon: cannot write %s/tarvolen.png: %s\n", dir.c_str(), std::strerror(err));
      return 1;
    }
  }
  if (!ico.empty())
    if (int err = SaveIco(icon, ico)) {
      std::fprintf(stderr, "make_icon: cannot write %s: %s\n", ico.c_str(), std::strerror(err));
      return 1;
    }
  return 0;
}
