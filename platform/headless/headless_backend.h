#pragma once
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "platform/toolkit/backend.h"

namespace tv {

// The backend for tests: a virtual clock that only moves when the loop waits
// or sleeps, input scripted at virtual times, message boxes recorded and
// dismissed by the script, and a frame of 3 pixels a side.
class HeadlessBackend : public Backend {
 public:
  struct MessageBoxRecord {
    int id = 0;
    std::string text, caption;
    bool stopIcon = false;
    uint64_t openedAt = 0;
    bool open = true;
  };

  explicit HeadlessBackend(TextRenderer& text) : text_(text) {}

  // Script: an event at a virtual time (not before now).
  void At(uint64_t time, const Event& ev);
  void KeyDown(uint64_t time, uint16_t key) { At(time, Event::Key(Event::Type::KeyDown, key)); }
  void KeyUp(uint64_t time, uint16_t key) { At(time, Event::Key(Event::Type::KeyUp, key)); }
  void Press(uint64_t time, uint16_t key) {
    KeyDown(time, key);
    KeyUp(time, key);
  }
  // How long after opening a message box is dismissed; negative: the script
  // dismisses it itself (Dismiss). Called when the box opens.
  std::function<int64_t(const MessageBoxRecord&)> dismissAfter = [](const MessageBoxRecord&) { return 0; };
  void Dismiss(int id) { At(now_, DismissEvent(id)); }
  // Called whenever the loop looks for input: a test can post input that
  // arrives in the middle of a handler, inside its event pump.
  std::function<void()> onPoll;

  const std::vector<MessageBoxRecord>& Boxes() const { return boxes_; }
  int OpenBoxes() const;
  int Beeps() const { return beeps_; }
  uint64_t SleptMs() const { return slept_; }
  const std::string& WindowTitle() const { return title_; }
  bool WindowShown() const { return shown_; }
  void SetPerformanceCounter(uint64_t v) { counter_ = v; }

  uint64_t NowMs() override { return now_; }
  uint64_t PerformanceCounter() override { return counter_; }
  void SleepMs(uint32_t ms) override {
    now_ += ms;
    slept_ += ms;
  }
  bool PollEvent(Event& ev) override;
  bool WaitEvent(Event& ev, int64_t timeoutMs, bool nested) override;
  void PostEvent(const Event& ev) override { posted_.push_back(ev); }
  void CreateMainWindow(int, int, const std::string& title, const ArgbImage&) override { title_ = title; }
  void ShowMainWindow() override { shown_ = true; }
  void SetTitle(const std::string& title) override { title_ = title; }
  int FrameWidth() override { return 6; }
  void Present(const Bitmap&, const std::vector<Rect>&) override { ++presents_; }
  int OpenMessageBox(const std::string& text, const std::string& caption, bool stopIcon) override;
  void CloseMessageBox(int id) override;
  void Beep() override { ++beeps_; }
  TextRenderer& Text() override { return text_; }

 private:
  static Event DismissEvent(int id);

  TextRenderer& text_;
  uint64_t now_ = 0;
  uint64_t counter_ = 0x1234567;
  uint64_t seq_ = 0;
  std::multimap<std::pair<uint64_t, uint64_t>, Event> script_;  // (time, order) -> event
  std::deque<Event> posted_;
  std::vector<MessageBoxRecord> boxes_;
  int beeps_ = 0;
  uint64_t slept_ = 0;
  int presents_ = 0;
  std::string title_;
  bool shown_ = false;
};

}  // namespace tv
