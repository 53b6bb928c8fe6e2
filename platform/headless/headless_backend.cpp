#include "platform/headless/headless_backend.h"

#include "platform/base/require.h"

namespace tv {

void HeadlessBackend::At(uint64_t time, const Event& ev) {
  script_.emplace(std::make_pair(std::max(time, now_), seq_++), ev);
}

Event HeadlessBackend::DismissEvent(int id) {
  Event e;
  e.type = Event::Type::DialogDismissed;
  e.id = id;
  return e;
}

int HeadlessBackend::OpenBoxes() const {
  int n = 0;
  for (const auto& b : boxes_) n += b.open ? 1 : 0;
  return n;
}

bool HeadlessBackend::PollEvent(Event& ev) {
  if (onPoll) onPoll();
  if (!posted_.empty()) {
    ev = posted_.front();
    posted_.pop_front();
    return true;
  }
  if (script_.empty() || script_.begin()->first.first > now_) return false;
  ev = script_.begin()->second;
  script_.erase(script_.begin());
  return true;
}

bool HeadlessBackend::WaitEvent(Event& ev, int64_t timeoutMs, bool nested) {
  if (PollEvent(ev)) return true;
  const bool haveNext = !script_.empty();
  if (haveNext && (timeoutMs < 0 || script_.begin()->first.first <= now_ + uint64_t(timeoutMs))) {
    now_ = script_.begin()->first.first;
    return PollEvent(ev);
  }
  // Nothing will ever happen: a test left a box open with no timer running.
  Require(timeoutMs >= 0, nested ? "headless: the modal loop would wait forever"
                                 : "headless: the main loop would wait forever");
  now_ += uint64_t(timeoutMs);
  return false;
}

int HeadlessBackend::OpenMessageBox(const std::string& text, const std::string& caption, bool stopIcon) {
  MessageBoxRecord rec;
  rec.id = int(boxes_.size()) + 1;
  rec.text = text;
  rec.caption = caption;
  rec.stopIcon = stopIcon;
  rec.openedAt = now_;
  boxes_.push_back(rec);
  const int64_t after = dismissAfter ? dismissAfter(boxes_.back()) : 0;
  if (after >= 0) At(now_ + uint64_t(after), DismissEvent(rec.id));
  return rec.id;
}

void HeadlessBackend::CloseMessageBox(int id) {
  for (auto& b : boxes_)
    if (b.id == id) b.open = false;
}

}  // namespace tv
