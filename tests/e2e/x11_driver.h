#pragma once
#include <sys/types.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

// Drives a real program on a private X server (Xvfb) like a user would:
// finds its windows, reads their pixels, types and clicks, closes them.
// Xlib stays inside the .cpp: its macros clash with everything.
namespace tv::e2e {

using namespace std::chrono_literals;
using Ms = std::chrono::milliseconds;
using WindowId = unsigned long;  // an X window

// A window's picture: 0x00RRGGBB, row 0 at the top.
struct Screenshot {
  int width = 0, height = 0;
  std::vector<uint32_t> pixels;
  // Black outside the picture: a window gone before its grab gives an empty one.
  uint32_t At(int x, int y) const { return Contains(x, y) ? pixels[size_t(y) * size_t(width) + size_t(x)] : 0; }
  bool Contains(int x, int y) const { return x >= 0 && y >= 0 && x < width && y < height; }
  // Any pixel of that colour in the rectangle (clipped to the picture)?
  bool AnyIn(int x, int y, int w, int h, uint32_t colour) const;
  bool SavePng(const std::string& path) const;
};

struct WindowInfo {
  WindowId id = 0;
  std::string title;
  int x = 0, y = 0;           // on the screen
  int width = 0, height = 0;  // the client area (no window manager, so no frame)
};

struct ExitStatus {
  bool exited = false;  // by exit(); otherwise killed by `signal`
  int code = -1;
  int signal = 0;
  bool Clean() const { return exited && code == 0; }
};
std::string Describe(const ExitStatus& s);

// Polls `done` every few milliseconds until it holds or the time is up.
bool WaitUntil(const std::function<bool()>& done, Ms timeout, Ms every = 10ms);

// One X server of our own with at most one program on it at a time. The destructor
// kills the program and the server, whatever state the test left them in.
class Desktop {
 public:
  // Starts Xvfb on a free display, 24-bit, no window manager. Throws on failure.
  explicit Desktop(int screenWidth = 1024, int screenHeight = 768);
  ~Desktop();
  Desktop(const Desktop&) = delete;
  Desktop& operator=(const Desktop&) = delete;

  const std::string& DisplayName() const { return display_; }
  // Starts openbox (fullscreen is a window manager's to grant) and waits until
  // it manages the windows; Windows() finds none it framed, so find them first.
  bool StartWindowManager(WindowId adopt = 0);
  // A private directory, removed afterwards: logs, audio files of the disk driver.
  const std::string& TempDir() const { return tempDir_; }

  // --- the program ---
  // Starts it with the caller's environment plus DISPLAY, SDL_VIDEODRIVER=x11,
  // SDL_AUDIODRIVER=dummy, HOME=TempDir(), XDG_CONFIG_HOME=TempDir()/config
  // and `env` (which wins). Its stdout and stderr go to files.
  void Launch(const std::string& path, const std::map<std::string, std::string>& env = {},
              const std::vector<std::string>& args = {});
  pid_t Pid() const { return pid_; }
  bool Running();
  // Nothing when it still runs after `timeout`.
  std::optional<ExitStatus> WaitExit(Ms timeout);
  void Kill();
  std::string Stdout() const;
  std::string Stderr() const;
  // Waits until the program's stdout has a line equal to `line`.
  bool WaitStdoutLine(const std::string& line, Ms timeout) const;
  // User plus system CPU time the program has used so far: all its threads,
  // or the main thread alone (the event loop, without audio or other helpers).
  double CpuSeconds() const;
  double MainThreadCpuSeconds() const;

  // --- windows ---
  // Mapped top-level windows of the program with exactly this title, oldest first.
  std::vector<WindowInfo> Windows(const std::string& title);
  int CountWindows(const std::string& title) { return int(Windows(title).size()); }
  std::optional<WindowInfo> WaitWindow(const std::string& title, Ms timeout = 10s);
  // Waits for a window of that title other than `except` (a message box over the main window).
  std::optional<WindowInfo> WaitOtherWindow(const std::string& title, WindowId except, Ms timeout = 10s);
  std::optional<WindowInfo> Info(WindowId w);
  Screenshot Grab(WindowId w);
  // The size of the window's icon (_NET_WM_ICON), if it has one.
  std::optional<std::pair<int, int>> IconSize(WindowId w);
  // The window's WM_CLASS: its instance name and class, "name.class".
  std::string WmClass(WindowId w);
  // The window tells window managers that it cannot be resized.
  bool FixedSize(WindowId w);
  // Waits until the pixel has the colour; a window that just mapped may still be black.
  bool WaitPixel(WindowId w, int x, int y, uint32_t colour, Ms timeout = 10s);
  bool WaitPicture(WindowId w, const std::function<bool(const Screenshot&)>& ok, Ms timeout = 10s);

  // --- input ---
  // Gives the window the keyboard (there is no window manager to do it).
  bool Focus(WindowId w);
  // The window that has the keyboard now (0: none, or the pointer's window).
  WindowId FocusedWindow();
  // Waits until the window has the keyboard: a message box takes it just after
  // it maps, so this tells when the box is fully up.
  bool WaitFocused(WindowId w, Ms timeout = 10s);
  // Keys by X keysym name: "Return", "KP_Enter", "Escape", "space", "Up", "a".
  // Press and release; several separated by spaces. Every input method below
  // returns once the program has taken the input from the server (Synced).
  void Key(WindowId w, const std::string& keys);
  void KeyDown(WindowId w, const std::string& key);
  void KeyUp(WindowId w, const std::string& key);
  // Keys to whichever window has the keyboard, as a user would type them.
  void KeyToFocused(const std::string& keys);
  // Keys with no pause between them, so the program finds them queued together;
  // a pointer move to client (x, y) may follow at once.
  void KeysAtOnce(WindowId w, const std::string& keys, std::optional<std::pair<int, int>> thenMove = {});
  // Pointer at client coordinates of the window (outside it too); button 1 left, 2 middle, 3 right.
  void MoveMouse(WindowId w, int x, int y);
  void Click(WindowId w, int x, int y, int button = 1);
  void MouseDown(WindowId w, int x, int y, int button = 1);
  void MouseUp(WindowId w, int x, int y, int button = 1);
  // What a window manager sends when the close box is clicked.
  void Close(WindowId w);
  // Waits until the program that owns `w` has read every event sent before:
  // it answers a window manager's ping only once its loop has taken what came
  // first. False when it did not answer (it ended, or the window went away).
  bool Synced(WindowId w, Ms timeout = 10s);

 private:
  struct X;
  void Xdotool(const std::vector<std::string>& args);
  void Pointer(WindowId w, int x, int y, const std::vector<std::string>& then);
  std::vector<std::string> Environment(const std::map<std::string, std::string>& extra) const;

  std::unique_ptr<X> x_;
  std::string display_;
  std::string tempDir_;
  pid_t xvfb_ = -1;
  pid_t wm_ = -1;
  pid_t pid_ = -1;
  std::optional<ExitStatus> exit_;
};

}  // namespace tv::e2e
