#include "platform/sdl/sdl_device_watch.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>

namespace tv {
namespace {

// After a change the loop is woken at once and again after these delays, for
// udev's announcement that comes after the node.
constexpr int kFollowUpMs[] = {100, 400, 1500};

}  // namespace

DeviceWatch::DeviceWatch(const std::string& folder, std::function<void()> changed) : changed_(std::move(changed)) {
  inotify_ = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
  stop_ = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
  if (inotify_ < 0 || stop_ < 0 ||
      inotify_add_watch(inotify_, folder.c_str(), IN_CREATE | IN_DELETE | IN_ATTRIB | IN_MOVED_TO | IN_MOVED_FROM) < 0)
    return;
  thread_ = std::thread([this] { Run(); });
}

DeviceWatch::~DeviceWatch() {
  if (thread_.joinable()) {
    const uint64_t one = 1;
    if (write(stop_, &one, sizeof one) != sizeof one) {
      // An eventfd write fails only when its count is full; the thread is already told.
    }
    thread_.join();
  }
  if (inotify_ >= 0) close(inotify_);
  if (stop_ >= 0) close(stop_);
}

void DeviceWatch::Run() {
  size_t followUp = std::size(kFollowUpMs);  // none pending
  for (;;) {
    pollfd fds[2] = {{stop_, POLLIN, 0}, {inotify_, POLLIN, 0}};
    const int timeout = followUp < std::size(kFollowUpMs) ? kFollowUpMs[followUp] : -1;
    const int n = poll(fds, 2, timeout);
    if (n < 0) {
      if (errno == EINTR) continue;
      return;  // a watch that cannot wait wakes nothing more
    }
    if (fds[0].revents) return;
    if (n == 0) {  // a follow-up is due
      ++followUp;
      changed_();
      continue;
    }
    alignas(inotify_event) char buf[4096];
    while (read(inotify_, buf, sizeof buf) > 0) {
    }
    followUp = 0;
    changed_();
  }
}

}  // namespace tv
