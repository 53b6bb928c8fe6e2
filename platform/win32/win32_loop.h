#pragma once
#include <cstdint>
#include <deque>
#include <mutex>

#include "platform/base/event.h"
#include "platform/files/windows_api.h"

namespace tv {

// The loop's machinery on Windows: the clock, events posted from any thread,
// and the wait that sleeps until a window message, a posted event or the end
// of its time, never spinning.
class Win32Loop {
 public:
  Win32Loop();
  ~Win32Loop();
  Win32Loop(const Win32Loop&) = delete;
  Win32Loop& operator=(const Win32Loop&) = delete;

  uint64_t NowMs() const;
  static uint64_t Counter();

  // From any thread: queues `ev` and wakes the wait.
  void Post(const Event& ev);
  // The oldest posted event; false when none is left.
  bool TakePosted(Event& ev);

  // Sleeps until a message is waiting for this thread, an event was posted,
  // or `ms` have passed (negative: without limit).
  void Wait(int64_t ms);
  // Blocks the thread `ms` milliseconds, as closely as the system's timer allows.
  void Sleep(uint32_t ms);

 private:
  void FineTimer(bool on);

  LARGE_INTEGER frequency_{};
  HANDLE posted_ = nullptr;  // set while the queue holds events
  std::mutex lock_;
  std::deque<Event> queue_;
  bool fine_ = false;  // timeBeginPeriod(1) in force
};

}  // namespace tv
