#include "platform/sdl/sdl_thread.h"

#include <SDL.h>

#include <utility>

namespace tv {

SdlThread::SdlThread(const char* name, std::function<void()> work) : work_(std::move(work)) {
  thread_ = SDL_CreateThread(&SdlThread::Run, name, this);
  if (!thread_) Run(this);
}

SdlThread::~SdlThread() {
  if (thread_) SDL_WaitThread(thread_, nullptr);
}

void SdlThread::Join() {
  if (thread_) SDL_WaitThread(thread_, nullptr);
  thread_ = nullptr;
  if (std::exception_ptr failure = std::exchange(failure_, nullptr)) std::rethrow_exception(failure);
}

int SdlThread::Run(void* self) {
  auto* t = static_cast<SdlThread*>(self);
  try {
    t->work_();
  } catch (...) {
    t->failure_ = std::current_exception();
  }
  return 0;
}

}  // namespace tv
