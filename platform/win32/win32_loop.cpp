#include "platform/win32/win32_loop.h"

#include <algorithm>
#include <stdexcept>

namespace tv {
namespace {

// Waits this short or shorter are a timer running (the match's 10 ms tick, a
// pad read every 8 ms): with Windows' default 15.6 ms resolution they would
// each sleep a whole period. Longer ones, and the idle menu's endless wait,
// leave the system's timer as it was.
constexpr int64_t kFineWaitMs = 50;

}  // namespace

Win32Loop::Win32Loop() {
  QueryPerformanceFrequency(&frequency_);
  // Manual reset: cleared only once the queue is empty, so no posted event is left waiting.
  posted_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  if (!posted_) throw std::runtime_error("Windows gave no event object to wake the game's loop");
}

Win32Loop::~Win32Loop() {
  FineTimer(false);
  CloseHandle(posted_);
}

uint64_t Win32Loop::Counter() {
  LARGE_INTEGER c;
  QueryPerformanceCounter(&c);
  return uint64_t(c.QuadPart);
}

uint64_t Win32Loop::NowMs() const {
  const uint64_t c = Counter(), f = uint64_t(frequency_.QuadPart);
  return c / f * 1000 + c % f * 1000 / f;
}

void Win32Loop::Post(const Event& ev) {
  std::lock_guard<std::mutex> hold(lock_);
  queue_.push_back(ev);
  SetEvent(posted_);
}

bool Win32Loop::TakePosted(Event& ev) {
  std::lock_guard<std::mutex> hold(lock_);
  if (queue_.empty()) return false;
  ev = queue_.front();
  queue_.pop_front();
  if (queue_.empty()) ResetEvent(posted_);
  return true;
}

void Win32Loop::Wait(int64_t ms) {
  FineTimer(ms >= 0 && ms <= kFineWaitMs);
  const DWORD timeout = ms < 0 ? INFINITE : DWORD(std::min<int64_t>(ms, INFINITE - 1));
  // MWMO_INPUTAVAILABLE: messages already seen by an earlier peek still wake it.
  MsgWaitForMultipleObjectsEx(1, &posted_, timeout, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
}

void Win32Loop::Sleep(uint32_t ms) {
  FineTimer(ms <= kFineWaitMs);
  ::Sleep(ms);
}

void Win32Loop::FineTimer(bool on) {
  if (on == fine_) return;
  fine_ = on;
  if (on)
    timeBeginPeriod(1);
  else
    timeEndPeriod(1);
}

}  // namespace tv
