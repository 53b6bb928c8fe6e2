// Keyboard, pointer and window-manager requests, as a user at the screen makes them.
#include <signal.h>

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

// One key at a time, its press and release back to back, the next only once
// the program has taken it: a burst that a loaded server stamps with one time,
// or a press held past the repeat delay by a stalled xdotool, reaches the
// program as other keys than were typed.
void Desktop::Key(WindowId w, const std::string& keys) {
  Focus(w);
  std::istringstream in(keys);
  for (std::string k; in >> k;) {
    Xdotool({"key", "--delay", "0", k});
    Synced(w);
  }
}

void Desktop::KeyToFocused(const std::string& keys) {
  std::istringstream in(keys);
  for (std::string k; in >> k;) {
    WindowId target = FocusedWindow();
    Xdotool({"key", "--delay", "0", k});
    if (target) Synced(target);
  }
}

bool Desktop::Synced(WindowId w, Ms timeout) {
  if (!x_->pings) return false;
  const long serial = ++x_->pingSerial;
  XEvent e{};
  e.xclient.type = ClientMessage;
  e.xclient.window = w;
  e.xclient.message_type = x_->wmProtocols;
  e.xclient.format = 32;
  e.xclient.data.l[0] = long(x_->netWmPing);
  e.xclient.data.l[1] = serial;
  e.xclient.data.l[2] = long(w);
  XSendEvent(x_->dpy, w, False, NoEventMask, &e);
  XSync(x_->dpy, False);
  return WaitUntil(
      [&] {
        while (XPending(x_->pings)) {
          XEvent answer;
          XNextEvent(x_->pings, &answer);
          if (answer.type == ClientMessage && answer.xclient.data.l[0] == long(x_->netWmPing) &&
              answer.xclient.data.l[1] == serial && answer.xclient.data.l[2] == long(w))
            return true;
        }
        // A window that went away (a box dismissed, the program ended) answers no more.
        return !Info(w).has_value();
      },
      timeout, 2ms);
}

// The program is held stopped while the input is sent, so it finds all of it
// queued when it next reads, as after a stall of its own.
void Desktop::KeysAtOnce(WindowId w, const std::string& keys, std::optional<std::pair<int, int>> thenMove) {
  auto info = Info(w);
  if (!info) throw std::runtime_error("window " + IdText(w) + " is not on the screen");
  Focus(w);
  std::vector<std::string> args{"key", "--delay", "0"};
  std::istringstream in(keys);
  for (std::string k; in >> k;) args.push_back(k);
  if (thenMove) {
    args.insert(args.end(), {"mousemove", std::to_string(info->x + thenMove->first),
                             std::to_string(info->y + thenMove->second)});
  }
  if (pid_ > 0) kill(pid_, SIGSTOP);
  Xdotool(args);
  XSync(x_->dpy, False);
  if (pid_ > 0) kill(pid_, SIGCONT);
  Synced(w);
}

void Desktop::KeyDown(WindowId w, const std::string& key) {
  Focus(w);
  Xdotool({"keydown", key});
  Synced(w);
}

void Desktop::KeyUp(WindowId w, const std::string& key) {
  Focus(w);
  Xdotool({"keyup", key});
  Synced(w);
}

// Pointer moves go to screen coordinates, so a point outside the window
// (a release away from it) is reachable too.
void Desktop::Pointer(WindowId w, int x, int y, const std::vector<std::string>& then) {
  auto info = Info(w);
  if (!info) throw std::runtime_error("window " + IdText(w) + " is not on the screen");
  std::vector<std::string> args{"mousemove", std::to_string(info->x + x), std::to_string(info->y + y)};
  args.insert(args.end(), then.begin(), then.end());
  Xdotool(args);
  Synced(w);
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
