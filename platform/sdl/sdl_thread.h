#pragma once
#include <exception>
#include <functional>

struct SDL_Thread;

namespace tv {

// Work that calls SDL off the main thread, on a thread SDL made. Any SDL call
// may keep per-thread data (its error text); SDL frees it when a thread of its
// own ends, never for a thread made otherwise, where it leaks.
class SdlThread {
 public:
  // Starts `work` on a thread called `name`; where SDL cannot make one, the
  // work runs here and now.
  SdlThread(const char* name, std::function<void()> work);
  // Waits for the work.
  ~SdlThread();
  SdlThread(const SdlThread&) = delete;
  SdlThread& operator=(const SdlThread&) = delete;

  // Waits for the work; rethrows what it threw.
  void Join();

 private:
  static int Run(void* self);

  std::function<void()> work_;
  std::exception_ptr failure_;
  SDL_Thread* thread_ = nullptr;
};

}  // namespace tv
