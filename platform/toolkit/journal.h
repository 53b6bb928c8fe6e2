#pragma once
#include <cstdint>
#include <cstdio>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "platform/toolkit/backend.h"

// The session journal: time is an input. A recorder sits between the toolkit
// and the real backend and writes down every answer the backend gives (clock
// readings, events taken, the counter that seeds the random generator, the
// frame width, message box ids); a replayer gives the same answers in the same
// order, so the same program goes through the same session, on the window or
// on the headless backend. The format is in ARCHITECTURE.md.
namespace tv {

// A backend that passes every call on to another; the journal's two ends
// override only the answers they write down or give back.
class ForwardingBackend : public Backend {
 public:
  explicit ForwardingBackend(Backend& inner) : inner_(inner) {}

  uint64_t NowMs() override { return inner_.NowMs(); }
  uint64_t PerformanceCounter() override { return inner_.PerformanceCounter(); }
  void SleepMs(uint32_t ms) override { inner_.SleepMs(ms); }
  bool PollEvent(Event& ev) override { return inner_.PollEvent(ev); }
  bool WaitEvent(Event& ev, int64_t timeoutMs, bool nested) override {
    return inner_.WaitEvent(ev, timeoutMs, nested);
  }
  void PostEvent(const Event& ev) override { inner_.PostEvent(ev); }
  void CreateMainWindow(int w, int h, const std::string& title, const ArgbImage& icon) override {
    inner_.CreateMainWindow(w, h, title, icon);
  }
  void ShowMainWindow() override { inner_.ShowMainWindow(); }
  void SetTitle(const std::string& title) override { inner_.SetTitle(title); }
  int FrameWidth() override { return inner_.FrameWidth(); }
  void Present(const Bitmap& fb, const std::vector<Rect>& rects) override { inner_.Present(fb, rects); }
  int OpenMessageBox(const std::string& text, const std::string& caption, bool stopIcon) override {
    return inner_.OpenMessageBox(text, caption, stopIcon);
  }
  void CloseMessageBox(int id) override { inner_.CloseMessageBox(id); }
  void Beep() override { inner_.Beep(); }
  TextRenderer& Text() override { return inner_.Text(); }

 protected:
  Backend& inner_;
};

// A write that fails does not stop the session: the recorder remembers the
// first error, writes nothing more, and Finish() reports it once the window
// has closed.
class JournalRecorder : public ForwardingBackend {
 public:
  // Throws std::runtime_error when the file cannot be created.
  JournalRecorder(Backend& inner, const std::string& path);
  ~JournalRecorder() override;
  JournalRecorder(const JournalRecorder&) = delete;
  JournalRecorder& operator=(const JournalRecorder&) = delete;

  uint64_t NowMs() override;
  uint64_t PerformanceCounter() override;
  bool PollEvent(Event& ev) override { return Taken(inner_.PollEvent(ev), ev); }
  bool WaitEvent(Event& ev, int64_t timeoutMs, bool nested) override {
    return Taken(inner_.WaitEvent(ev, timeoutMs, nested), ev);
  }
  int FrameWidth() override;
  int OpenMessageBox(const std::string& text, const std::string& caption, bool stopIcon) override;
  // Writes what is pending and closes the file. Returns "" when every write,
  // flush and the close went through; otherwise a line naming the file and
  // the first error. Later calls return the same.
  std::string Finish();

 private:
  bool Taken(bool got, const Event& ev);
  void FlushClock();
  // Writes one record (printf-style) unless a write has failed before.
  [[gnu::format(printf, 2, 3)]] void Put(const char* format, ...);
  void Failed(int err);

  std::string path_;
  std::FILE* out_ = nullptr;
  int error_ = 0;  // errno of the first failed write, flush or close
  uint64_t clock_ = 0;     // the reading being repeated
  uint64_t repeats_ = 0;   // how many times in a row, not yet written
};

class JournalReplayer : public ForwardingBackend {
 public:
  // Reads the whole journal; throws std::runtime_error naming the file and
  // line when it cannot be read or is not a journal. `paced`: keep the
  // recorded pace in real time (for watching on the window) instead of
  // running as fast as possible.
  JournalReplayer(Backend& inner, const std::string& path, bool paced);
  // A journal held in memory; `name` stands for the file in messages.
  JournalReplayer(Backend& inner, const std::string& name, std::string_view text, bool paced);

  // Every record has been given back.
  bool Finished() const { return next_ == records_.size() && problem_.empty(); }
  // Why the replay stopped early: the program asked for something else than
  // the journal holds next (another program, other files, a fault), or the
  // user closed the window. Empty when it did not.
  const std::string& Problem() const { return problem_; }

  uint64_t NowMs() override;
  uint64_t PerformanceCounter() override;
  void SleepMs(uint32_t) override {}
  bool PollEvent(Event& ev) override { return Next(ev); }
  bool WaitEvent(Event& ev, int64_t, bool) override { return Next(ev); }
  // The journal holds every event as it was taken, posted ones included.
  void PostEvent(const Event&) override {}
  int FrameWidth() override;
  int OpenMessageBox(const std::string& text, const std::string& caption, bool stopIcon) override;
  void CloseMessageBox(int id) override;

 private:
  struct Record {
    char kind = 0;
    uint64_t a = 0, b = 0;  // 'c': value, repeats; 's', 'f', 'b': value in a
    Event event;            // 'e'
    int line = 0;
  };
  // The next record if it is of `kind`; otherwise marks the replay as diverged.
  const Record* Take(char kind);
  // Parses the records; throws std::runtime_error naming the line of the first bad one.
  void Read(const std::string& journal);
  bool Next(Event& ev);
  void Pace(uint64_t recordedMs);

  std::string path_;
  bool paced_;
  std::vector<Record> records_;
  size_t next_ = 0;
  uint64_t repeatsLeft_ = 0;  // of the clock record last taken
  uint64_t clock_ = 0;
  bool started_ = false;
  int64_t offset_ = 0;  // inner clock minus recorded clock, when paced
  std::string problem_;
  std::map<int, int> boxes_;  // recorded box id -> the inner backend's
};

}  // namespace tv
