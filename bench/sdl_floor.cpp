// The floor under the program's start-up: the least an SDL program does to
// show a 586 x 440 window, with the hints and the environment the game starts
// with, filled with the menu rows' colour so that bench/footprint.py sees it
// "painted" by the same test as the game's menu. Waits until it is closed.
#include <SDL.h>

#include <sys/stat.h>

#include <cstdlib>
#include <string>

int main() {
  setenv("XCOMPOSEFILE", "/dev/null", 1);
  // As the game: no D-Bus autolaunch where there is no session bus.
  const char* address = std::getenv("DBUS_SESSION_BUS_ADDRESS");
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  struct stat st {};
  const bool inRuntime =
      runtime && *runtime && stat((std::string(runtime) + "/bus").c_str(), &st) == 0 && S_ISSOCK(st.st_mode);
  if (!(address && *address) && !inRuntime) setenv("DBUS_SESSION_BUS_ADDRESS", "disabled:", 1);
  SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
  SDL_SetHint(SDL_HINT_VIDEO_ALLOW_SCREENSAVER, "1");
  SDL_SetHint(SDL_HINT_VIDEO_X11_NET_WM_BYPASS_COMPOSITOR, "0");
  SDL_SetHint(SDL_HINT_MOUSE_FOCUS_CLICKTHROUGH, "1");
  SDL_SetHint(SDL_HINT_APP_NAME, "Tarvolen");
  SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
  if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) return 1;
  SDL_Window* w = SDL_CreateWindow("Tarvolen floor", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, 586, 440, 0);
  SDL_Surface* s = w ? SDL_GetWindowSurface(w) : nullptr;
  if (!s) return 1;
  SDL_FillRect(s, nullptr, SDL_MapRGB(s->format, 0x71, 0x74, 0xFD));
  SDL_UpdateWindowSurface(w);
  for (SDL_Event e; SDL_WaitEvent(&e) && e.type != SDL_QUIT;) {
    if (e.type == SDL_WINDOWEVENT && e.window.event == SDL_WINDOWEVENT_EXPOSED) SDL_UpdateWindowSurface(w);
  }
  SDL_DestroyWindow(w);
  SDL_QuitSubSystem(SDL_INIT_VIDEO);
  return 0;
}
