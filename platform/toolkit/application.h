#pragma once
#include <cstdint>
#include <exception>
#include <functional>
#include <string>
#include <vector>

#include "platform/toolkit/backend.h"
#include "platform/base/event.h"

namespace tv {

class TForm;
class TTimer;

// The one application object: the event loop with its timers, the event pump,
// the modal message box and the error report. Everything runs on one thread.
class TApplication {
 public:
  explicit TApplication(Backend& backend);
  TApplication(const TApplication&) = delete;
  TApplication& operator=(const TApplication&) = delete;

  Backend& GetBackend() { return backend_; }
  const std::string& Title() const { return title_; }
  void SetTitle(const std::string& t) { title_ = t; }
  void SetMainForm(TForm* form) { form_ = form; }

  // Runs until the window is closed or termination is requested.
  void Run();
  // Runs for `ms` of the backend's clock, or until terminated (tests drive the game with it).
  void RunFor(uint64_t ms);
  // Processes all pending input and due ticks, then returns.
  void ProcessMessages();
  // Brings the window's picture on the screen up to date now.
  void Present();
  // Ends every loop once the current handler has returned.
  void Terminate() { terminated_ = true; }
  bool Terminated() const { return terminated_; }

  // A modal box with `text` and an OK button; returns once it is dismissed.
  // Timers go on ticking; the main window takes no input meanwhile.
  void MessageBox(const std::string& text, bool stopIcon = false);
  // Runs an event handler; an error escaping it is shown as the error report.
  void Dispatch(const std::function<void()>& handler);
  void ShowException(const std::exception& e);
  bool Modal() const { return modalDepth_ > 0; }

  // Timers register themselves.
  void AddTimer(TTimer* t);
  void RemoveTimer(TTimer* t);
  uint64_t Now() { return backend_.NowMs(); }

  // Called after each outermost handler has returned (tests check invariants there).
  std::function<void()> AfterDispatch;

  // Where the media layer's completion notices go.
  std::function<void(const Event&)> OnMediaNotify;

 private:
  // Handles one event or one due tick; waits (up to `limit`) when `wait` is set
  // and nothing is pending. Returns false when nothing was handled.
  bool HandleMessage(bool wait, uint64_t limit);
  void DispatchEvent(const Event& ev);
  bool FireDueTimer();
  int64_t NextTimerDelay(uint64_t limit);

  Backend& backend_;
  TForm* form_ = nullptr;
  std::string title_;
  bool terminated_ = false;
  int modalDepth_ = 0;
  int dispatchDepth_ = 0;
  std::vector<int> dismissed_;
  std::vector<TTimer*> timers_;
};

// The text the error report shows: a full stop is appended when the text is not
// empty and its last byte sorts after ".".
std::string ErrorReportText(const std::string& message);

}  // namespace tv
