#include "platform/sdl/sdl_subsystems.h"

#include <mutex>

namespace tv {
namespace {
std::mutex gParts;
}  // namespace

bool StartSdlPart(Uint32 flags) {
  std::lock_guard<std::mutex> lock(gParts);
  return SDL_InitSubSystem(flags) == 0;
}

void StopSdlPart(Uint32 flags) {
  std::lock_guard<std::mutex> lock(gParts);
  SDL_QuitSubSystem(flags);
}

}  // namespace tv
