#include "platform/toolkit/timer.h"

#include "platform/toolkit/application.h"

namespace tv {

TTimer::TTimer(TApplication& app, std::string name, uint32_t intervalMs)
    : app_(app), name_(std::move(name)), interval_(intervalMs) {
  app_.AddTimer(this);
}

TTimer::~TTimer() { app_.RemoveTimer(this); }

void TTimer::SetEnabled(bool on) {
  if (on == enabled_) return;
  enabled_ = on;
  if (on) due_ = app_.Now() + interval_;
}

}  // namespace tv
