// Writes the right-hand launcher's picture for each campaign level as
// 1.bmp .. 8.bmp (24 bits per pixel) into a directory: `make_levels DIR`.
#include <cstdio>
#include <string>

#include <SDL.h>

#include "assets/disc.h"

namespace {

bool Save(const tv::Bitmap& b, const std::string& path) {
  SDL_Surface* s = SDL_CreateRGBSurfaceWithFormat(0, b.width, b.height, 32, SDL_PIXELFORMAT_RGB888);
  if (!s) return false;
  for (int y = 0; y < b.height; ++y) {
    auto* row = reinterpret_cast<Uint32*>(static_cast<Uint8*>(s->pixels) + size_t(y) * size_t(s->pitch));
    for (int x = 0; x < b.width; ++x) row[x] = b.At(x, y);
  }
  // A surface without alpha is written as a 24-bit bitmap. Write beside and
  // rename, so an interrupted build leaves no half file.
  const std::string tmp = path + ".tmp";
  bool ok = SDL_SaveBMP(s, tmp.c_str()) == 0 && std::rename(tmp.c_str(), path.c_str()) == 0;
  SDL_FreeSurface(s);
  return ok;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s DIR\n", argv[0]);
    return 2;
  }
  for (int level = 1; level <= tv::kLevelCount; ++level) {
    std::string path = std::string(argv[1]) + "/" + std::to_string(level) + ".bmp";
    if (!Save(tv::LevelPicture(level), path)) {
      std::fprintf(stderr, "make_levels: cannot write %s: %s\n", path.c_str(), SDL_GetError());
      return 1;
    }
  }
  SDL_Quit();
  return 0;
}
