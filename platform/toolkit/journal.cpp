#include "platform/toolkit/journal.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cinttypes>
#include <climits>
#include <cstdarg>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <vector>

#include "platform/files/file_read.h"
#include "platform/files/native_file.h"

namespace tv {
namespace {

constexpr const char* kMagic = "tarvolen-journal 1";
// A long session writes a few bytes per event; this bounds what a replay reads.
constexpr size_t kMaxJournalBytes = size_t(256) << 20;

// What the machine can answer, and no more: a replay gives these numbers to
// the game, which does its arithmetic in int. A window frame is a few pixels
// (a few thousand at most), the clock stays below 2^48 ms (thousands of
// years), and a pointer lies within the X protocol's 16-bit coordinates of
// the window.
constexpr int kMaxFrameWidth = 4096;
constexpr uint64_t kMaxClockMs = uint64_t(1) << 48;
constexpr int64_t kMaxCoordinate = int64_t(1) << 16;

// The fields of one record: the kind, then decimal numbers, each within its range.
class Fields {
 public:
  explicit Fields(const std::string& text) : in_(text) {}

  char Kind() {
    std::string kind;
    return (in_ >> kind) && kind.size() == 1 ? kind[0] : '\0';
  }
  template <class T>
  bool Next(T& value, T lo, T hi) {
    std::string field;
    if (!(in_ >> field)) return false;
    const auto [end, err] = std::from_chars(field.data(), field.data() + field.size(), value);
    if (end != field.data() + field.size() || (err != std::errc() && err != std::errc::result_out_of_range))
      return false;
    outOfRange_ = err == std::errc::result_out_of_range || value < lo || value > hi;
    return !outOfRange_;
  }
  bool OutOfRange() const { return outOfRange_; }
  bool AtEnd() {
    std::string rest;
    return !(in_ >> rest);
  }

 private:
  std::istringstream in_;
  bool outOfRange_ = false;
};

}  // namespace

// --- recording ---

JournalRecorder::JournalRecorder(Backend& inner, const std::string& path) : ForwardingBackend(inner), path_(path) {
  out_ = OpenForWriting(path);
  if (!out_) throw std::runtime_error("cannot create the journal " + path + ": " + std::strerror(errno));
  Put("%s\n", kMagic);
}

JournalRecorder::~JournalRecorder() { Finish(); }

std::string JournalRecorder::Finish() {
  if (out_) {
    FlushClock();
    // The close writes what the buffer still holds: its failure counts too.
    if (std::fclose(out_) != 0) Failed(errno);
    out_ = nullptr;
  }
  return error_ ? "cannot write the journal " + path_ + ": " + std::strerror(error_) : "";
}

void JournalRecorder::Failed(int err) {
  if (!error_) error_ = err ? err : EIO;
}

void JournalRecorder::Put(const char* format, ...) {
  if (error_ || !out_) return;
  std::va_list args;
  va_start(args, format);
  const int n = std::vfprintf(out_, format, args);
  va_end(args);
  if (n < 0) Failed(errno);
}

// A run of equal readings is one line: the loop reads the clock often.
void JournalRecorder::FlushClock() {
  if (repeats_ == 0) return;
  Put("c %" PRIu64 " %" PRIu64 "\n", clock_, repeats_);
  repeats_ = 0;
}

uint64_t JournalRecorder::NowMs() {
  const uint64_t now = inner_.NowMs();
  if (repeats_ > 0 && now != clock_) FlushClock();
  clock_ = now;
  ++repeats_;
  return now;
}

uint64_t JournalRecorder::PerformanceCounter() {
  const uint64_t v = inner_.PerformanceCounter();
  FlushClock();
  Put("s %" PRIu64 "\n", v);
  return v;
}

int JournalRecorder::FrameWidth() {
  const int w = inner_.FrameWidth();
  FlushClock();
  Put("f %d\n", w);
  return w;
}

int JournalRecorder::OpenMessageBox(const std::string& text, const std::string& caption, bool stopIcon) {
  const int id = inner_.OpenMessageBox(text, caption, stopIcon);
  FlushClock();
  Put("b %d\n", id);
  return id;
}

bool JournalRecorder::Taken(bool got, const Event& ev) {
  FlushClock();
  if (!got) {
    Put("n\n");
    return false;
  }
  Put("e %d %u %d %d %d %d %" PRIu32 "\n", int(ev.type), unsigned(ev.key), ev.x, ev.y, int(ev.button), ev.id,
      ev.param);
  // A report of a crash should hold the input that led to it.
  if (!error_ && out_ && std::fflush(out_) != 0) Failed(errno);
  return true;
}

// --- replaying ---

JournalReplayer::JournalReplayer(Backend& inner, const std::string& path, bool paced)
    : ForwardingBackend(inner), path_(path), paced_(paced) {
  // Through the one file reader: a pipe or a device given as the journal fails
  // at once instead of blocking the program before its window opens.
  std::vector<uint8_t> bytes;
  if (int err = ReadRegularFile(path, kMaxJournalBytes, bytes))
    throw std::runtime_error("cannot read the journal " + path + ": " + std::strerror(err));
  Read(std::string(bytes.begin(), bytes.end()));
}

JournalReplayer::JournalReplayer(Backend& inner, const std::string& name, std::string_view text, bool paced)
    : ForwardingBackend(inner), path_(name), paced_(paced) {
  Read(std::string(text));
}

void JournalReplayer::Read(const std::string& journal) {
  std::istringstream in(journal);
  std::string text;
  if (!std::getline(in, text) || text != kMagic) throw std::runtime_error(path_ + ": not a Tarvolen journal");
  uint64_t clock = 0;  // the last clock reading: the clock never runs back
  int box = 0;         // the last box id: both backends count them up from 1
  for (int line = 2; std::getline(in, text); ++line) {
    Fields fields(text);
    Record r;
    r.line = line;
    r.kind = fields.Kind();
    bool ok = true;
    switch (r.kind) {
      case 'c':
        ok = fields.Next(r.a, clock, kMaxClockMs) && fields.Next(r.b, uint64_t(1), UINT64_MAX);
        clock = r.a;
        break;
      case 's': ok = fields.Next(r.a, uint64_t(0), UINT64_MAX); break;
      case 'f': {
        int64_t v = 0;
        ok = fields.Next(v, int64_t(0), int64_t(kMaxFrameWidth));
        r.a = uint64_t(v);
        break;
      }
      case 'b': {
        int64_t v = 0;
        ok = fields.Next(v, int64_t(box) + 1, int64_t(INT_MAX));
        box = int(v);
        r.a = uint64_t(v);
        break;
      }
      case 'n': break;
      case 'e': {
        int64_t type = 0, key = 0, x = 0, y = 0, button = 0, id = 0, param = 0;
        ok = fields.Next(type, int64_t(0), int64_t(Event::Type::Expose)) && fields.Next(key, int64_t(0), int64_t(0xFFFF)) &&
             fields.Next(x, -kMaxCoordinate, kMaxCoordinate) && fields.Next(y, -kMaxCoordinate, kMaxCoordinate) &&
             fields.Next(button, int64_t(0), int64_t(MouseButton::Middle)) && fields.Next(id, int64_t(0), int64_t(INT_MAX)) &&
             fields.Next(param, int64_t(0), int64_t(UINT32_MAX));
        r.event.type = Event::Type(type);
        r.event.key = uint16_t(key);
        r.event.x = int(x);
        r.event.y = int(y);
        r.event.button = MouseButton(button);
        r.event.id = int(id);
        r.event.param = uint32_t(param);
        break;
      }
      default: ok = false;
    }
    if (fields.OutOfRange())
      throw std::runtime_error(path_ + ":" + std::to_string(line) + ": a number out of its range: " + text);
    if (!ok || !fields.AtEnd())
      throw std::runtime_error(path_ + ":" + std::to_string(line) + ": not a journal record: " + text);
    records_.push_back(r);
  }
}

const JournalReplayer::Record* JournalReplayer::Take(char kind) {
  if (!problem_.empty()) return nullptr;
  // A clock run not used up: the program read the clock less often than recorded.
  if (repeatsLeft_ > 0) {
    problem_ = path_ + ": the session went another way (fewer clock readings than recorded before '" +
               std::string(1, kind) + "')";
    return nullptr;
  }
  if (next_ == records_.size()) return nullptr;
  const Record& r = records_[next_];
  if (r.kind != kind) {
    problem_ = path_ + ":" + std::to_string(r.line) + ": the session went another way here (the program asked for '" +
               std::string(1, kind) + "', the journal holds '" + std::string(1, r.kind) + "')";
    return nullptr;
  }
  ++next_;
  return &r;
}

uint64_t JournalReplayer::NowMs() {
  if (repeatsLeft_ > 0) {
    --repeatsLeft_;
    return clock_;
  }
  if (const Record* r = Take('c')) {
    clock_ = r->a;
    repeatsLeft_ = r->b - 1;
    if (paced_) Pace(clock_);
  }
  // Past the end the clock stands still; the next event taken ends the session.
  return clock_;
}

uint64_t JournalReplayer::PerformanceCounter() {
  const Record* r = Take('s');
  return r ? r->a : 0;
}

int JournalReplayer::FrameWidth() {
  const Record* r = Take('f');
  return r ? int(int64_t(r->a)) : inner_.FrameWidth();
}

int JournalReplayer::OpenMessageBox(const std::string& text, const std::string& caption, bool stopIcon) {
  const int innerId = inner_.OpenMessageBox(text, caption, stopIcon);
  const Record* r = Take('b');
  const int id = r ? int(int64_t(r->a)) : innerId;
  boxes_[id] = innerId;
  return id;
}

void JournalReplayer::CloseMessageBox(int id) {
  auto it = boxes_.find(id);
  if (it == boxes_.end()) return;
  inner_.CloseMessageBox(it->second);
  boxes_.erase(it);
}

bool JournalReplayer::Next(Event& ev) {
  if (paced_) {
    // Keep the window alive; the player's own input does not count.
    Event own;
    while (inner_.PollEvent(own))
      if (own.type == Event::Type::Quit && problem_.empty()) problem_ = "the window was closed during the replay";
  }
  if (problem_.empty() && next_ < records_.size()) {
    if (records_[next_].kind == 'n' && Take('n')) return false;
    if (const Record* r = Take('e')) {
      ev = r->event;
      return true;
    }
  }
  // The end of the journal, or a session gone astray: close the window.
  ev = Event{};
  ev.type = Event::Type::Quit;
  return true;
}

void JournalReplayer::Pace(uint64_t recordedMs) {
  const uint64_t now = inner_.NowMs();
  if (!started_) {
    started_ = true;
    offset_ = int64_t(now) - int64_t(recordedMs);
    return;
  }
  const int64_t due = int64_t(recordedMs) + offset_;
  if (due > int64_t(now)) inner_.SleepMs(uint32_t(std::min<int64_t>(due - int64_t(now), 60000)));
}

}  // namespace tv
