// Keyboard, pointer and window-manager requests, as a user at the screen makes them.
#include <sstream>
#include <stdexcept>

#include "tests/e2e/process.h"
#include "tests/e2e/x11_connection.h"

namespace tv::e2e {
namespace {

std::string IdText(WindowId w) {
  std::ostringstream s;
  s << w;
  return s.str();
}

}  // namespace

bool Desktop::Focus(WindowId w) {
  XSetInputFocus(x_->dpy, w, RevertToPointerRoot, CurrentTime);
  XSync(x_->dpy, False);
  return WaitUntil(
      [&] {
        Window focus;
        int revert;
        XGetInputFocus(x_->dpy, &focus, &revert);
        return focus == w;
      },
      2s);
}

void Desktop::Xdotool(const std::vector<std::string>& args) {
  SpawnOptions o;
  o.argv = {"xdotool"};
  o.argv.insert(o.argv.end(), args.begin(), args.end());
  o.env = Environment({});
  o.stderrPath = tempDir_ + "/xdotool.log";
  pid_t pid = Spawn(o);
  auto status = WaitChild(pid, 10s);
  if (!status) StopChild(pid, 1s);
  if (!status || !status->Clean())
    throw std::runtime_error("xdotool failed: " + ReadWholeFile(tempDir_ + "/xdotool.log"));
}

WindowId Desktop::FocusedWindow() {
  Window focus = 0;
  int revert;
  XGetInputFocus(x_->dpy, &focus, &revert);
  return focus == PointerRoot ? 0 : focus;
}

bool Desktop::WaitFocused(WindowId w, Ms timeout) {
  return WaitUntil([&] { return FocusedWindow() == w; }, timeout);
}

void Desktop::Key(WindowId w, const std::string& keys) {
  Focus(w);
  KeyToFocused(keys);
}

void Desktop::KeyToFocused(const std::string& keys) {
  std::vector<std::string> args{"key", "--delay", "20"};
  std::istringstream in(keys);
  for (std::string k; in >> k;) args.push_back(k);
  Xdotool(args);
}

void Desktop::KeyDown(WindowId w, const std::string& key) {
  Focus(w);
  Xdotool({"keydown", key});
}

void Desktop::KeyUp(WindowId w, const std::string& key) {
  Focus(w);
  Xdotool({"keyup", key});
}

// Pointer moves go to screen coordinates, so a point outside the window
// (a release away from it) is reachable too.
void Desktop::Pointer(WindowId w, int x, int y, const std::vector<std::string>& then) {
  auto info = Info(w);
  if (!info) throw std::runtime_error("window " + IdText(w) + " is not on the screen");
  std::vector<std::string> args{"mousemove", std::to_string(info->x + x), std::to_string(info->y + y)};
  args.insert(args.end(), then.begin(), then.end());
  Xdotool(args);
}

void Desktop::MoveMouse(WindowId w, int x, int y) { Pointer(w, x, y, {}); }
void Desktop::Click(WindowId w, int x, int y, int button) { Pointer(w, x, y, {"click", std::to_string(button)}); }
void Desktop::MouseDown(WindowId w, int x, int y, int button) {
  Pointer(w, x, y, {"mousedown", std::to_string(button)});
}
void Desktop::MouseUp(WindowId w, int x, int y, int button) {
  Pointer(w, x, y, {"mouseup", std::to_string(button)});
}

void Desktop::Close(WindowId w) {
  XEvent e{};
  e.xclient.type = ClientMessage;
  e.xclient.window = w;
  e.xclient.message_type = x_->wmProtocols;
  e.xclient.format = 32;
  e.xclient.data.l[0] = long(x_->wmDelete);
  e.xclient.data.l[1] = CurrentTime;
  XSendEvent(x_->dpy, w, False, NoEventMask, &e);
  XSync(x_->dpy, False);
}

}  // namespace tv::e2e
