#include "platform/sdl/sdl_x11_errors.h"

#include <SDL_syswm.h>
#include <X11/Xlib.h>
#include <X11/Xproto.h>

#include <mutex>
#include <set>

namespace tv {
namespace {

std::mutex g_mutex;
std::set<unsigned long> g_destroyed;  // X windows the program destroyed itself
XErrorHandler g_previous = nullptr;

int Filter(Display* display, XErrorEvent* e) {
  if (e->error_code == BadWindow && e->request_code == X_SendEvent) {
    std::lock_guard<std::mutex> lock(g_mutex);
    if (g_destroyed.count(e->resourceid)) return 0;
  }
  return g_previous ? g_previous(display, e) : 0;
}

}  // namespace

void InstallX11ErrorFilter() {
  std::lock_guard<std::mutex> lock(g_mutex);
  if (g_previous) return;
  g_previous = XSetErrorHandler(Filter);
}

void DestroyWindowQuietly(SDL_Window* window) {
  if (!window) return;
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (SDL_GetWindowWMInfo(window, &info) && info.subsystem == SDL_SYSWM_X11) {
    std::lock_guard<std::mutex> lock(g_mutex);
    g_destroyed.insert(info.info.x11.window);
  }
  SDL_DestroyWindow(window);
}

}  // namespace tv
