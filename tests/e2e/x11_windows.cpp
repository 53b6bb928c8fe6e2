// Finding the program's windows and reading their pixels and properties.
#include <algorithm>
#include <functional>

#include "tests/e2e/x11_connection.h"

namespace tv::e2e {


std::string Desktop::X::Title(Window w) {
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

std::optional<pid_t> Desktop::X::Pid(Window w) {
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
  XSync(x_->dpy, False);
  // The programs' windows: the root's children, or under a window manager the
  // windows inside its frames that carry WM_STATE (a frame has no title).
  const Atom wmState = XInternAtom(x_->dpy, "WM_STATE", False);
  auto managed = [&](Window w) {
    Atom type = None;
    int format;
    unsigned long n = 0, after;
    unsigned char* data = nullptr;
    XGetWindowProperty(x_->dpy, w, wmState, 0, 1, False, wmState, &type, &format, &n, &after, &data);
    if (data) XFree(data);
    return type == wmState;
  };
  std::vector<Window> candidates;
  std::function<void(Window, int)> visit = [&](Window w, int depth) {
    Window root, parent, *children = nullptr;
    unsigned int n = 0;
    if (!XQueryTree(x_->dpy, w, &root, &parent, &children, &n)) return;
    for (unsigned int i = 0; i < n; ++i) {
      if (depth == 0 || managed(children[i])) candidates.push_back(children[i]);
      if (depth < 3) visit(children[i], depth + 1);
    }
    if (children) XFree(children);
  };
  visit(DefaultRootWindow(x_->dpy), 0);
  for (Window w : candidates) {
    auto pid = x_->Pid(w);
    if (pid && pid_ > 0 && *pid != pid_) continue;
    auto info = Info(w);
    if (info && info->title == title) found.push_back(*info);
  }
  // X hands out a client's ids in increasing order.
  std::sort(found.begin(), found.end(), [](const auto& a, const auto& b) { return a.id < b.id; });
  found.erase(std::unique(found.begin(), found.end(), [](const auto& a, const auto& b) { return a.id == b.id; }),
              found.end());
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

std::optional<std::pair<int, int>> Desktop::IconSize(WindowId w) {
  Atom type;
  int format;
  unsigned long n, after;
  unsigned char* data = nullptr;
  std::optional<std::pair<int, int>> size;
  Atom icon = XInternAtom(x_->dpy, "_NET_WM_ICON", False);
  if (XGetWindowProperty(x_->dpy, w, icon, 0, 2, False, XA_CARDINAL, &type, &format, &n, &after, &data) == Success &&
      data && n == 2 && format == 32) {
    auto* v = reinterpret_cast<unsigned long*>(data);  // Xlib hands 32-bit items as longs
    size = std::make_pair(int(v[0]), int(v[1]));
  }
  if (data) XFree(data);
  return size;
}

std::string Desktop::WmClass(WindowId w) {
  XClassHint hint{};
  if (!XGetClassHint(x_->dpy, w, &hint)) return {};
  std::string both = std::string(hint.res_name ? hint.res_name : "") + "." + (hint.res_class ? hint.res_class : "");
  XFree(hint.res_name);
  XFree(hint.res_class);
  return both;
}

bool Desktop::FixedSize(WindowId w) {
  XSizeHints hints{};
  long supplied = 0;
  if (!XGetWMNormalHints(x_->dpy, w, &hints, &supplied)) return false;
  return (hints.flags & PMinSize) && (hints.flags & PMaxSize) && hints.min_width == hints.max_width &&
         hints.min_height == hints.max_height;
}

bool Desktop::WaitPixel(WindowId w, int x, int y, uint32_t colour, Ms timeout) {
  return WaitPicture(w, [&](const Screenshot& s) { return s.Contains(x, y) && s.At(x, y) == colour; }, timeout);
}

bool Desktop::WaitPicture(WindowId w, const std::function<bool(const Screenshot&)>& ok, Ms timeout) {
  return WaitUntil([&] { return ok(Grab(w)); }, timeout, 20ms);
}

}  // namespace tv::e2e
