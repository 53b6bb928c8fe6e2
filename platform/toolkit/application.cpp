#include "platform/toolkit/application.h"

#include <algorithm>
#include <limits>

#include "platform/toolkit/form.h"
#include "platform/toolkit/timer.h"

namespace tv {

namespace {
constexpr uint64_t kNoLimit = std::numeric_limits<uint64_t>::max();
}

std::string ErrorReportText(const std::string& message) {
  if (!message.empty() && static_cast<unsigned char>(message.back()) > static_cast<unsigned char>('.'))
    return message + ".";
  return message;
}

TApplication::TApplication(Backend& backend) : backend_(backend) {}

void TApplication::AddTimer(TTimer* t) { timers_.push_back(t); }

void TApplication::RemoveTimer(TTimer* t) { std::erase(timers_, t); }

void TApplication::Run() {
  while (!terminated_) HandleMessage(true, kNoLimit);
}

void TApplication::RunFor(uint64_t ms) {
  const uint64_t end = backend_.NowMs() + ms;
  while (!terminated_ && backend_.NowMs() < end) HandleMessage(true, end);
  // What falls due at the end itself still runs.
  while (!terminated_ && HandleMessage(false, end)) {
  }
}

void TApplication::ProcessMessages() {
  while (!terminated_ && HandleMessage(false, kNoLimit)) {
  }
  Present();
}

bool TApplication::HandleMessage(bool wait, uint64_t limit) {
  Event ev;
  if (backend_.PollEvent(ev)) {
    DispatchEvent(ev);
    return true;
  }
  // Input before ticks: a Space released or an Escape pressed while the loop was
  // busy acts before a tick due meanwhile charges or moves the ball once more, and
  // 10 ms ticks always due on a slow machine never starve the keys
  // (Toolkit.APumpInsideAHandlerRunsPendingInputAndDueTicks).
  if (FireDueTimer()) return true;
  if (!wait) return false;
  Present();
  if (backend_.WaitEvent(ev, NextTimerDelay(limit), modalDepth_ > 0)) DispatchEvent(ev);
  return true;
}

int64_t TApplication::NextTimerDelay(uint64_t limit) {
  const uint64_t now = backend_.NowMs();
  uint64_t next = limit;
  for (const TTimer* t : timers_)
    if (t->enabled_ && !t->held_) next = std::min(next, t->due_);
  if (next == kNoLimit) return -1;
  return next <= now ? 0 : int64_t(next - now);
}

bool TApplication::FireDueTimer() {
  const uint64_t now = backend_.NowMs();
  for (TTimer* t : timers_) {
    if (!t->enabled_ || t->held_ || t->due_ > now) continue;
    t->due_ = now + t->interval_;
    if (t->OnTimer) Dispatch(t->OnTimer);
    return true;
  }
  return false;
}

void TApplication::DispatchEvent(const Event& ev) {
  switch (ev.type) {
    case Event::Type::Quit:
      Terminate();
      return;
    case Event::Type::DialogDismissed:
      dismissed_.push_back(ev.id);
      return;
    case Event::Type::Expose:
      // The framebuffer still holds the picture, canvas drawing included: show it again as it is.
      if (form_) form_->Surface().MarkDrawn({0, 0, form_->ClientWidth(), form_->ClientHeight()});
      return;
    case Event::Type::MediaNotify:
      if (OnMediaNotify) Dispatch([&] { OnMediaNotify(ev); });
      return;
    default:
      break;
  }
  // A modal box takes the main window's input away.
  if (modalDepth_ > 0 || !form_) return;
  Dispatch([&] { form_->HandleInput(ev); });
}

void TApplication::Dispatch(const std::function<void()>& handler) {
  ++dispatchDepth_;
  try {
    handler();
  } catch (const std::exception& e) {
    ShowException(e);
  }
  --dispatchDepth_;
  if (dispatchDepth_ == 0 && AfterDispatch) AfterDispatch();
}

void TApplication::ShowException(const std::exception& e) { MessageBox(ErrorReportText(e.what()), true); }

void TApplication::MessageBox(const std::string& text, bool stopIcon) {
  if (terminated_) return;
  Present();
  const int id = backend_.OpenMessageBox(text, title_, stopIcon);
  ++modalDepth_;
  while (!terminated_ && std::find(dismissed_.begin(), dismissed_.end(), id) == dismissed_.end())
    HandleMessage(true, kNoLimit);
  std::erase(dismissed_, id);
  --modalDepth_;
  backend_.CloseMessageBox(id);
}

void TApplication::Present() {
  if (!form_) return;
  Compositor& s = form_->Surface();
  s.Update();
  std::vector<Rect> rects = s.TakeChanged();
  if (!rects.empty()) backend_.Present(s.Framebuffer(), rects);
}

}  // namespace tv
