#pragma once
// Kept with the SDL backend: Linux's /dev/input, watched so that SDL's game controllers are noticed
// while the loop sleeps.
#include <functional>
#include <string>
#include <thread>

namespace tv {

// Watches a folder of device nodes (/dev/input) and calls `changed` when a
// node comes, goes or has its permissions set, then again after short delays
// (udev announces a device only once its rules have run, some time after the
// node appears). The loop sleeps without a timer while no pad is plugged in,
// and SDL notices a new pad only when the loop wakes: this is what wakes it.
// A thread of its own, asleep in poll(2) until then; none when the folder
// cannot be watched. `changed` runs on that thread.
class DeviceWatch {
 public:
  DeviceWatch(const std::string& folder, std::function<void()> changed);
  ~DeviceWatch();
  DeviceWatch(const DeviceWatch&) = delete;
  DeviceWatch& operator=(const DeviceWatch&) = delete;

  bool Watching() const { return thread_.joinable(); }

 private:
  void Run();

  std::function<void()> changed_;
  int inotify_ = -1;
  int stop_ = -1;  // an eventfd: written to end the thread
  std::thread thread_;
};

}  // namespace tv
