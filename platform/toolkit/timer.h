#pragma once
#include <cstdint>
#include <functional>
#include <string>

namespace tv {

class TApplication;

// A periodic event source. Switching it on starts a fresh interval; a timer
// that falls behind delivers one tick, not a backlog.
class TTimer {
 public:
  TTimer(TApplication& app, std::string name, uint32_t intervalMs);
  ~TTimer();
  TTimer(const TTimer&) = delete;
  TTimer& operator=(const TTimer&) = delete;

  const std::string& Name() const { return name_; }
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool on);
  uint32_t Interval() const { return interval_; }

  // While held, due ticks wait; they are delivered once the hold ends.
  void Hold(bool held) { held_ = held; }
  bool Held() const { return held_; }

  std::function<void()> OnTimer;

 private:
  friend class TApplication;
  TApplication& app_;
  std::string name_;
  uint32_t interval_;
  bool enabled_ = false;
  bool held_ = false;
  uint64_t due_ = 0;
};

}  // namespace tv
