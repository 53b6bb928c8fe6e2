#include "platform/journal.h"

#include <algorithm>
#include <cinttypes>
#include <cstring>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <vector>

#include "platform/file_read.h"

namespace tv {
namespace {

constexpr const char* kMagic = "tarvolen-journal 1";
// A long session writes a few bytes per event; this bounds what a replay reads.
constexpr size_t kMaxJournalBytes = size_t(256) << 20;

}  // namespace

// --- recording ---

JournalRecorder::JournalRecorder(Backend& inner, const std::string& path) : ForwardingBackend(inner) {
  out_ = std::fopen(path.c_str(), "we");
  if (!out_) throw std::runtime_error("cannot create the journal " + path);
  std::fprintf(out_, "%s\n", kMagic);
}

JournalRecorder::~JournalRecorder() {
  FlushClock();
  std::fclose(out_);
}

// A run of equal readings is one line: the loop reads the clock often.
void JournalRecorder::FlushClock() {
  if (repeats_ == 0) return;
  std::fprintf(out_, "c %" PRIu64 " %" PRIu64 "\n", clock_, repeats_);
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
  std::fprintf(out_, "s %" PRIu64 "\n", v);
  return v;
}

int JournalRecorder::FrameWidth() {
  const int w = inner_.FrameWidth();
  FlushClock();
  std::fprintf(out_, "f %d\n", w);
  return w;
}

int JournalRecorder::OpenMessageBox(const std::string& text, const std::string& caption, bool stopIcon) {
  const int id = inner_.OpenMessageBox(text, caption, stopIcon);
  FlushClock();
  std::fprintf(out_, "b %d\n", id);
  return id;
}

bool JournalRecorder::Taken(bool got, const Event& ev) {
  FlushClock();
  if (!got) {
    std::fputs("n\n", out_);
    return false;
  }
  std::fprintf(out_, "e %d %u %d %d %d %d %" PRIu32 "\n", int(ev.type), unsigned(ev.key), ev.x, ev.y,
               int(ev.button), ev.id, ev.param);
  // A report of a crash should hold the input that led to it.
  std::fflush(out_);
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
  std::istringstream in(std::string(bytes.begin(), bytes.end()));
  std::string text;
  if (!std::getline(in, text) || text != kMagic) throw std::runtime_error(path + ": not a Tarvolen journal");
  for (int line = 2; std::getline(in, text); ++line) {
    std::istringstream fields(text);
    Record r;
    r.line = line;
    fields >> r.kind;
    bool ok = bool(fields);
    switch (r.kind) {
      case 'c': ok = ok && bool(fields >> r.a >> r.b) && r.b > 0; break;
      case 's': ok = ok && bool(fields >> r.a); break;
      case 'f':
      case 'b': {
        int v = 0;
        ok = ok && bool(fields >> v);
        r.a = uint64_t(int64_t(v));
        break;
      }
      case 'n': break;
      case 'e': {
        int type = 0, button = 0;
        unsigned key = 0;
        ok = ok && bool(fields >> type >> key >> r.event.x >> r.event.y >> button >> r.event.id >> r.event.param);
        ok = ok && type >= 0 && type <= int(Event::Type::Expose) && key <= 0xFFFF && button >= 0 && button <= 2;
        r.event.type = Event::Type(type);
        r.event.key = uint16_t(key);
        r.event.button = MouseButton(button);
        break;
      }
      default: ok = false;
    }
    std::string rest;
    if (!ok || (fields >> rest))
      throw std::runtime_error(path + ":" + std::to_string(line) + ": not a journal record: " + text);
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
