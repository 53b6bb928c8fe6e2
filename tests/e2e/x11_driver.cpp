#include "tests/e2e/x11_driver.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <sstream>
#include <stdexcept>
#include <thread>

#include "tests/e2e/process.h"

extern char** environ;

namespace tv::e2e {
namespace {

// Windows come and go between a query and the next call: such errors are expected.
int IgnoreXErrors(Display*, XErrorEvent*) { return 0; }

// Reads the display number Xvfb writes once it accepts connections.
std::string ReadDisplayNumber(int fd, Ms timeout) {
  std::string text;
  auto deadline = std::chrono::steady_clock::now() + timeout;
  while (text.find('\n') == std::string::npos) {
    auto left = std::chrono::duration_cast<Ms>(deadline - std::chrono::steady_clock::now()).count();
    if (left <= 0) break;
    pollfd p{fd, POLLIN, 0};
    if (poll(&p, 1, int(left)) <= 0) continue;
    char buf[32];
    ssize_t n = read(fd, buf, sizeof buf);
    if (n <= 0) break;
    text.append(buf, size_t(n));
  }
  if (text.find('\n') == std::string::npos) return {};
  return text.substr(0, text.find('\n'));
}

std::string IdText(WindowId w) {
  std::ostringstream s;
  s << w;
  return s.str();
}

}  // namespace

struct Desktop::X {
  Display* dpy = nullptr;
  Atom netWmName = 0, utf8 = 0, netWmPid = 0, wmProtocols = 0, wmDelete = 0;

  std::string Title(Window w) {
    std::string title;
    Atom type;
    int format;
    unsigned long n, after;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(dpy, w, netWmName, 0, 1024, False, utf8, &type, &format, &n, &after, &data) == Success &&
        data && type == utf8) {
      title.assign(reinterpret_cast<char*>(data), n);
    } else {
      char* name = nullptr;
      if (XFetchName(dpy, w, &name) && name) title = name;
      if (name) XFree(name);
    }
    if (data) XFree(data);
    return title;
  }

  std::optional<pid_t> Pid(Window w) {
    Atom type;
    int format;
    unsigned long n, after;
    unsigned char* data = nullptr;
    std::optional<pid_t> pid;
    if (XGetWindowProperty(dpy, w, netWmPid, 0, 1, False, XA_CARDINAL, &type, &format, &n, &after, &data) ==
            Success &&
        data && n == 1 && format == 32)
      pid = pid_t(*reinterpret_cast<unsigned long*>(data));
    if (data) XFree(data);
    return pid;
  }
};

bool Screenshot::AnyIn(int x, int y, int w, int h, uint32_t colour) const {
  for (int yy = std::max(y, 0); yy < std::min(y + h, height); ++yy)
    for (int xx = std::max(x, 0); xx < std::min(x + w, width); ++xx)
      if (At(xx, yy) == colour) return true;
  return false;
}

std::string Describe(const ExitStatus& s) {
  if (s.exited) return "exit status " + std::to_string(s.code);
  return "killed by signal " + std::to_string(s.signal);
}

bool WaitUntil(const std::function<bool()>& done, Ms timeout, Ms every) {
  auto deadline = std::chrono::steady_clock::now() + timeout;
  for (;;) {
    if (done()) return true;
    if (std::chrono::steady_clock::now() >= deadline) return false;
    std::this_thread::sleep_for(every);
  }
}

Desktop::Desktop(int screenWidth, int screenHeight) : x_(std::make_unique<X>()) {
  char dir[] = "/tmp/tarvolen-e2e-XXXXXX";
  if (!mkdtemp(dir)) throw std::runtime_error("cannot make a temporary directory");
  tempDir_ = dir;
  int fds[2];
  if (pipe2(fds, O_CLOEXEC) != 0) throw std::runtime_error("cannot make a pipe");
  fcntl(fds[1], F_SETFD, 0);  // the server writes its display number here
  SpawnOptions o;
  o.argv = {"Xvfb", "-displayfd", std::to_string(fds[1]), "-screen", "0",
            std::to_string(screenWidth) + "x" + std::to_string(screenHeight) + "x24", "-nolisten", "tcp"};
  o.env = Environment({});
  o.stderrPath = tempDir_ + "/xvfb.log";
  try {
    xvfb_ = Spawn(o);
  } catch (...) {
    close(fds[0]);
    close(fds[1]);
    throw;
  }
  close(fds[1]);
  std::string number = ReadDisplayNumber(fds[0], 20s);
  close(fds[0]);
  if (number.empty()) {
    StopChild(xvfb_, 2s);
    throw std::runtime_error("Xvfb did not start: " + ReadWholeFile(tempDir_ + "/xvfb.log"));
  }
  display_ = ":" + number;
  XSetErrorHandler(IgnoreXErrors);
  x_->dpy = XOpenDisplay(display_.c_str());
  if (!x_->dpy) {
    StopChild(xvfb_, 2s);
    throw std::runtime_error("cannot connect to Xvfb on " + display_);
  }
  x_->netWmName = XInternAtom(x_->dpy, "_NET_WM_NAME", False);
  x_->utf8 = XInternAtom(x_->dpy, "UTF8_STRING", False);
  x_->netWmPid = XInternAtom(x_->dpy, "_NET_WM_PID", False);
  x_->wmProtocols = XInternAtom(x_->dpy, "WM_PROTOCOLS", False);
  x_->wmDelete = XInternAtom(x_->dpy, "WM_DELETE_WINDOW", False);
}

Desktop::~Desktop() {
  Kill();
  if (x_->dpy) XCloseDisplay(x_->dpy);
  StopChild(xvfb_, 5s);
  if (!std::getenv("TARVOLEN_E2E_KEEP")) {
    std::error_code ec;
    std::filesystem::remove_all(tempDir_, ec);
  }
}

std::vector<std::string> Desktop::Environment(const std::map<std::string, std::string>& extra) const {
  std::map<std::string, std::string> vars;
  for (char** e = environ; *e; ++e) {
    std::string s = *e;
    size_t eq = s.find('=');
    if (eq != std::string::npos) vars[s.substr(0, eq)] = s.substr(eq + 1);
  }
  vars.erase("WAYLAND_DISPLAY");
  if (!display_.empty()) vars["DISPLAY"] = display_;
  for (const auto& [k, v] : extra) vars[k] = v;
  std::vector<std::string> env;
  for (const auto& [k, v] : vars) env.push_back(k + "=" + v);
  return env;
}

void Desktop::Launch(const std::string& path, const std::map<std::string, std::string>& env,
                     const std::vector<std::string>& args) {
  if (pid_ > 0) throw std::logic_error("a program runs already on this desktop");
  std::map<std::string, std::string> vars{{"SDL_VIDEODRIVER", "x11"}, {"SDL_AUDIODRIVER", "dummy"}};
  for (const auto& [k, v] : env) vars[k] = v;
  SpawnOptions o;
  o.argv = {path};
  o.argv.insert(o.argv.end(), args.begin(), args.end());
  o.env = Environment(vars);
  o.stdoutPath = tempDir_ + "/stdout.txt";
  o.stderrPath = tempDir_ + "/stderr.txt";
  pid_ = Spawn(o);
  exit_.reset();
}

bool Desktop::Running() { return pid_ > 0 && !WaitExit(0ms); }

std::optional<ExitStatus> Desktop::WaitExit(Ms timeout) {
  if (!exit_ && pid_ > 0) exit_ = WaitChild(pid_, timeout);
  return exit_;
}

void Desktop::Kill() {
  if (pid_ > 0 && !exit_) {
    StopChild(pid_, 2s);
    exit_ = ExitStatus{};
  }
}

std::string Desktop::Stdout() const { return ReadWholeFile(tempDir_ + "/stdout.txt"); }
std::string Desktop::Stderr() const { return ReadWholeFile(tempDir_ + "/stderr.txt"); }

bool Desktop::WaitStdoutLine(const std::string& line, Ms timeout) const {
  return WaitUntil(
      [&] {
        std::istringstream in(Stdout());
        for (std::string l; std::getline(in, l);)
          if (l == line) return true;
        return false;
      },
      timeout);
}

double Desktop::CpuSeconds() const { return CpuSecondsOf("/proc/" + std::to_string(pid_) + "/stat"); }
double Desktop::MainThreadCpuSeconds() const {
  return CpuSecondsOf("/proc/" + std::to_string(pid_) + "/task/" + std::to_string(pid_) + "/stat");
}

std::optional<WindowInfo> Desktop::Info(WindowId w) {
  XWindowAttributes a;
  if (!XGetWindowAttributes(x_->dpy, w, &a) || a.map_state != IsViewable) return std::nullopt;
  WindowInfo info;
  info.id = w;
  info.title = x_->Title(w);
  info.width = a.width;
  info.height = a.height;
  Window child;
  XTranslateCoordinates(x_->dpy, w, DefaultRootWindow(x_->dpy), 0, 0, &info.x, &info.y, &child);
  return info;
}

std::vector<WindowInfo> Desktop::Windows(const std::string& title) {
  std::vector<WindowInfo> found;
  Window root, parent, *children = nullptr;
  unsigned int n = 0;
  XSync(x_->dpy, False);
  if (!XQueryTree(x_->dpy, DefaultRootWindow(x_->dpy), &root, &parent, &children, &n)) return found;
  for (unsigned int i = 0; i < n; ++i) {
    auto pid = x_->Pid(children[i]);
    if (pid && pid_ > 0 && *pid != pid_) continue;
    auto info = Info(children[i]);
    if (info && info->title == title) found.push_back(*info);
  }
  if (children) XFree(children);
  // X hands out a client's ids in increasing order.
  std::sort(found.begin(), found.end(), [](const auto& a, const auto& b) { return a.id < b.id; });
  return found;
}

std::optional<WindowInfo> Desktop::WaitWindow(const std::string& title, Ms timeout) {
  return WaitOtherWindow(title, 0, timeout);
}

std::optional<WindowInfo> Desktop::WaitOtherWindow(const std::string& title, WindowId except, Ms timeout) {
  std::optional<WindowInfo> result;
  WaitUntil(
      [&] {
        for (const auto& w : Windows(title))
          if (w.id != except) return result = w, true;
        return false;
      },
      timeout);
  return result;
}

Screenshot Desktop::Grab(WindowId w) {
  Screenshot shot;
  XWindowAttributes a;
  XSync(x_->dpy, False);
  if (!XGetWindowAttributes(x_->dpy, w, &a) || a.map_state != IsViewable) return shot;
  XImage* img = XGetImage(x_->dpy, w, 0, 0, unsigned(a.width), unsigned(a.height), AllPlanes, ZPixmap);
  if (!img) return shot;
  auto shift = [](unsigned long mask) {
    int s = 0;
    while (mask && !(mask & 1)) mask >>= 1, ++s;
    return s;
  };
  int rs = shift(img->red_mask), gs = shift(img->green_mask), bs = shift(img->blue_mask);
  shot.width = a.width;
  shot.height = a.height;
  shot.pixels.resize(size_t(a.width) * size_t(a.height));
  for (int y = 0; y < a.height; ++y)
    for (int x = 0; x < a.width; ++x) {
      unsigned long p = XGetPixel(img, x, y);
      uint32_t r = uint32_t((p & img->red_mask) >> rs), g = uint32_t((p & img->green_mask) >> gs),
               b = uint32_t((p & img->blue_mask) >> bs);
      shot.pixels[size_t(y) * size_t(a.width) + size_t(x)] = (r << 16) | (g << 8) | b;
    }
  XDestroyImage(img);
  return shot;
}

bool Desktop::WaitPixel(WindowId w, int x, int y, uint32_t colour, Ms timeout) {
  return WaitPicture(w, [&](const Screenshot& s) { return s.Contains(x, y) && s.At(x, y) == colour; }, timeout);
}

bool Desktop::WaitPicture(WindowId w, const std::function<bool(const Screenshot&)>& ok, Ms timeout) {
  return WaitUntil([&] { return ok(Grab(w)); }, timeout, 20ms);
}

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
