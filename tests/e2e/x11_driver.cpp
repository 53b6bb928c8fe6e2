#include "tests/e2e/x11_driver.h"

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
#include "tests/e2e/x11_connection.h"

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

}  // namespace

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
            std::to_string(screenWidth) + "x" + std::to_string(screenHeight) + "x24", "-nolisten", "tcp",
            // A reset when the last client leaves would re-centre the pointer.
            "-noreset"};
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
  x_->netWmPing = XInternAtom(x_->dpy, "_NET_WM_PING", False);
  x_->pings = XOpenDisplay(display_.c_str());
  if (x_->pings) {
    XSelectInput(x_->pings, DefaultRootWindow(x_->pings), SubstructureNotifyMask);
    XSync(x_->pings, False);
  }
  // The pointer starts at the screen's centre, where a centred window maps
  // under it; a user's pointer rests anywhere, so put it out of the way.
  XWarpPointer(x_->dpy, None, DefaultRootWindow(x_->dpy), 0, 0, 0, 0, 0, 0);
  XSync(x_->dpy, False);
}

bool Desktop::StartWindowManager(WindowId adopt) {
  wm_ = Spawn({{"openbox"}, Environment({}), "/dev/null", tempDir_ + "/openbox.log"});
  const Atom check = XInternAtom(x_->dpy, "_NET_SUPPORTING_WM_CHECK", False);
  // A window already on the screen is the manager's once it carries WM_STATE:
  // until then a request to it (fullscreen) may go unheard.
  const Atom wmState = XInternAtom(x_->dpy, "WM_STATE", False);
  auto has = [&](Window w, Atom property, Atom kind) {
    Atom type;
    int format;
    unsigned long n = 0, after;
    unsigned char* data = nullptr;
    XGetWindowProperty(x_->dpy, w, property, 0, 1, False, kind, &type, &format, &n, &after, &data);
    if (data) XFree(data);
    return n == 1;
  };
  if (adopt) {
    return WaitUntil([&] { return has(DefaultRootWindow(x_->dpy), check, XA_WINDOW) && has(adopt, wmState, wmState); },
                     10s);
  }
  return WaitUntil(
      [&] {
        Atom type;
        int format;
        unsigned long n = 0, after;
        unsigned char* data = nullptr;
        XGetWindowProperty(x_->dpy, DefaultRootWindow(x_->dpy), check, 0, 1, False, XA_WINDOW, &type, &format, &n,
                           &after, &data);
        if (data) XFree(data);
        return n == 1;
      },
      10s);
}

Desktop::~Desktop() {
  Kill();
  if (wm_ > 0) StopChild(wm_, 2s);
  if (x_->dpy) XCloseDisplay(x_->dpy);
  if (x_->pings) XCloseDisplay(x_->pings);
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
  if (Running()) throw std::logic_error("a program runs already on this desktop");
  // A home of its own: the player's settings in the real ~/.config must
  // neither change a test's window nor be changed by it.
  std::map<std::string, std::string> vars{{"SDL_VIDEODRIVER", "x11"},
                                          {"SDL_AUDIODRIVER", "dummy"},
                                          {"HOME", tempDir_},
                                          {"XDG_CONFIG_HOME", tempDir_ + "/config"}};
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

}  // namespace tv::e2e
