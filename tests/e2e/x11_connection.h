#pragma once
// The driver's X connection, shared by its source files; Xlib stays out of
// the public header.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <optional>
#include <string>

#include "tests/e2e/x11_driver.h"

namespace tv::e2e {

struct Desktop::X {
  Display* dpy = nullptr;
  Atom netWmName = 0, utf8 = 0, netWmPid = 0, wmProtocols = 0, wmDelete = 0, netWmPing = 0;
  // A second connection that hears the programs' answers to pings (sent to the root).
  Display* pings = nullptr;
  long pingSerial = 0;

  std::string Title(Window w);
  std::optional<pid_t> Pid(Window w);
};

}  // namespace tv::e2e
