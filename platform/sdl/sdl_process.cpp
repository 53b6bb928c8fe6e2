#include "platform/sdl/sdl_process.h"

#include <sys/stat.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/files/system.h"

namespace tv {
namespace {

// Whether the environment variable `name` is set to something.
bool Named(const char* name) {
  const char* value = std::getenv(name);
  return value && *value;
}

bool SessionBusNamed() { return Named("DBUS_SESSION_BUS_ADDRESS"); }

bool SessionBusInRuntimeDirectory() {
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  struct stat st {};
  return runtime && *runtime && ::stat((std::string(runtime) + "/bus").c_str(), &st) == 0 &&
         S_ISSOCK(st.st_mode);
}

}  // namespace

void PrepareSdlProcess() {
  // Nothing in this program takes typed text, yet the X input method SDL opens
  // with the video subsystem parses the locale's whole Compose table (half a
  // megabyte of text, 10 to 20 ms of start-up). An empty table does for keys.
  SetForThisProgram("XCOMPOSEFILE", "/dev/null");
  // The class the desktop matches the window to tarvolen.desktop by (its
  // StartupWMClass), whatever the executable is called; SDL 2.26 reads these
  // from the environment only, when the video subsystem starts. A class the
  // player set stays.
  SetForThisProgram("SDL_VIDEO_X11_WMCLASS", "tarvolen", false);
  SetForThisProgram("SDL_VIDEO_WAYLAND_WMCLASS", "tarvolen", false);
  // Without a session bus D-Bus would autolaunch one for SDL's input-method
  // support, which a game that takes no typed text does not use: a fork and
  // exec in the middle of the video start, and a bus daemon left running for
  // the X session. An address no transport answers turns that off; an address
  // the player names, autolaunch included, is theirs.
  if (!SessionBusNamed() && !SessionBusInRuntimeDirectory())
    SetForThisProgram("DBUS_SESSION_BUS_ADDRESS", "disabled:");
  // With no Wayland display named and no runtime folder to find one in,
  // SDL's Wayland probe can only fail, and the Wayland library says so on the
  // terminal before the game's own line: X11 alone is tried then. A driver the
  // player names stays theirs (ProgramWithoutDisplay.SaysSoInOneLineAndExitsWithAnError).
  if (!Named("WAYLAND_DISPLAY") && !Named("XDG_RUNTIME_DIR"))
    SetForThisProgram("SDL_VIDEODRIVER", "x11", false);
}

bool VideoStartMayFork() {
  const char* address = std::getenv("DBUS_SESSION_BUS_ADDRESS");
  if (SessionBusNamed()) return std::strstr(address, "autolaunch:") != nullptr;
  return !SessionBusInRuntimeDirectory();
}

}  // namespace tv
