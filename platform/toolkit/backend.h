#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "platform/base/bitmap.h"
#include "platform/base/event.h"
#include "platform/base/text.h"
#include "platform/base/types.h"

namespace tv {

// The one narrow interface between the toolkit and the machine: the clock,
// the event source, the window's picture, the modal box's window, the beep.
// Chosen once at start-up: the SDL window for players, the headless one for tests.
class Backend {
 public:
  virtual ~Backend() = default;

  // Milliseconds of a monotonic clock; timers fire from it.
  virtual uint64_t NowMs() = 0;
  // A fast-running counter that seeds the random generator.
  virtual uint64_t PerformanceCounter() = 0;
  // Blocks the calling thread; no event is handled meanwhile.
  virtual void SleepMs(uint32_t ms) = 0;

  // Takes the next pending event without waiting.
  virtual bool PollEvent(Event& ev) = 0;
  // Waits for the next event, at most timeoutMs (negative: without limit).
  // False when the time ran out. `nested` is set inside modal loops.
  virtual bool WaitEvent(Event& ev, int64_t timeoutMs, bool nested) = 0;
  // Queues an event from any thread; wakes a waiting loop.
  virtual void PostEvent(const Event& ev) = 0;

  virtual void CreateMainWindow(int clientWidth, int clientHeight, const std::string& title,
                                const ArgbImage& icon) = 0;
  virtual void ShowMainWindow() = 0;
  virtual void SetTitle(const std::string& title) = 0;
  // Left plus right frame of the main window, as the window system reports it.
  virtual int FrameWidth() = 0;
  // Shows the changed rectangles of the main window's framebuffer.
  virtual void Present(const Bitmap& framebuffer, const std::vector<Rect>& rects) = 0;

  // Opens a modal box's window; its dismissal arrives as DialogDismissed with the id returned.
  virtual int OpenMessageBox(const std::string& text, const std::string& caption, bool stopIcon) = 0;
  virtual void CloseMessageBox(int id) = 0;

  virtual void Beep() = 0;
  virtual TextRenderer& Text() = 0;
};

}  // namespace tv
