// Writes the right-hand launcher's picture for each campaign level as
// 1.bmp .. 8.bmp (24 bits per pixel) into a directory: `make_levels DIR`.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "platform/files/atomic_file.h"
#include "assets/disc.h"
#include "platform/files/bmp.h"

namespace {

// Whole or not at all, so an interrupted build leaves no half file.
bool Save(const tv::Bitmap& b, const std::string& path) { return tv::WriteWholeFile(path, tv::BmpBytes(b)) == 0; }

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s DIR\n", argv[0]);
    return 2;
  }
  for (int level = 1; level <= tv::kLevelCount; ++level) {
    std::string path = std::string(argv[1]) + "/" + std::to_string(level) + ".bmp";
    if (!Save(tv::LevelPicture(level), path)) {
      std::fprintf(stderr, "make_levels: cannot write %s: %s\n", path.c_str(), std::strerror(errno));
      return 1;
    }
  }
  return 0;
}
