#include "platform/sdl/sdl_x11_errors.h"

#include <SDL_syswm.h>
#include <X11/Xlib.h>
#include <X11/Xproto.h>

#include <mutex>
#include <set>

namespace tv {
namespace {

std::mutex gMutex;
std::set<unsigned long> gDestroyed;  // X windows the program destroyed itself
XErrorHandler gPrevious = nullptr;

int Filter(Display* display, XErrorEvent* e) {
  if (e->error_code == BadWindow && e->request_code == X_SendEvent) {
    std::lock_guard<std::mutex> lock(gMutex);
    if (gDestroyed.count(e->resourceid)) return 0;
  }
  return gPrevious ? gPrevious(display, e) : 0;
}

}  // namespace

void InstallX11ErrorFilter() {
  std::lock_guard<std::mutex> lock(gMutex);
  if (gPrevious) return;
  gPrevious = XSetErrorHandler(Filter);
}

void DestroyWindowQuietly(SDL_Window* window) {
  if (!window) return;
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (SDL_GetWindowWMInfo(window, &info) && info.subsystem == SDL_SYSWM_X11) {
    std::lock_guard<std::mutex> lock(gMutex);
    gDestroyed.insert(info.info.x11.window);
  }
  SDL_DestroyWindow(window);
}

}  // namespace tv
