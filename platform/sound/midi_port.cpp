#include "platform/sound/midi_port.h"

#include <cstring>

namespace tv {
namespace {

struct Timed {
  uint64_t frame;
  uint32_t message;
};

uint32_t Big(const uint8_t* p, int bytes) {
  uint32_t v = 0;
  for (int i = 0; i < bytes; ++i) v = v << 8 | p[i];
  return v;
}

bool Vlq(const std::vector<uint8_t>& b, size_t& at, uint32_t& v) {
  v = 0;
  for (int i = 0; i < 4 && at < b.size(); ++i) {
    const uint8_t c = b[at++];
    v = v << 7 | (c & 0x7F);
    if (!(c & 0x80)) return true;
  }
  return false;
}

// The events of a normalised piece (format 0, one track, ticks a quarter
// note, every status byte written) at their frames, and the frame of the end
// of its track. The time is kept exact, in microseconds times ticks a quarter.
bool Sequence(const std::vector<uint8_t>& b, int rate, std::vector<Timed>& events, uint64_t& endFrame) {
  if (b.size() < 22 || std::memcmp(&b[0], "MThd", 4) != 0 || Big(&b[4], 4) != 6 || Big(&b[8], 2) != 0 ||
      Big(&b[10], 2) != 1 || std::memcmp(&b[14], "MTrk", 4) != 0)
    return false;
  const uint32_t division = Big(&b[12], 2);
  if (division == 0 || (division & 0x8000) || Big(&b[18], 4) != b.size() - 22) return false;
  const auto frameOf = [&](unsigned __int128 time) {
    return uint64_t(time * unsigned(rate) / (unsigned __int128)(uint64_t(division) * 1000000));
  };
  unsigned __int128 time = 0;
  uint32_t tempo = 500000;  // 120 beats a minute until told otherwise
  for (size_t at = 22; at < b.size();) {
    uint32_t delta;
    if (!Vlq(b, at, delta) || at >= b.size()) return false;
    time += (unsigned __int128)delta * tempo;
    const uint8_t status = b[at++];
    if (status >= 0x80 && status < 0xF0) {
      const int count = (status & 0xF0) == 0xC0 || (status & 0xF0) == 0xD0 ? 1 : 2;
      if (b.size() - at < size_t(count)) return false;
      uint32_t message = status;
      for (int i = 0; i < count; ++i) message |= uint32_t(b[at + size_t(i)]) << (8 * (i + 1));
      at += size_t(count);
      events.push_back({frameOf(time), message});
    } else if (status == 0xF0) {
      uint32_t length;
      if (!Vlq(b, at, length) || length > b.size() - at) return false;
      at += length;
    } else if (status == 0xFF && at < b.size()) {
      const uint8_t type = b[at++];
      uint32_t length;
      if (!Vlq(b, at, length) || length > b.size() - at) return false;
      if (type == 0x51 && length == 3) tempo = Big(&b[at], 3);
      at += length;
      if (type == 0x2F) {
        endFrame = frameOf(time);
        return at == b.size();
      }
    } else {
      return false;
    }
  }
  return false;
}

class PortSequence final : public MidiRenderer {
 public:
  PortSequence(MidiPort& port, std::vector<Timed> events, uint64_t endFrame)
      : port_(port), events_(std::move(events)), end_(endFrame) {}

  void Start() override {
    playing_ = true;
    halted_ = false;
  }
  // A halted piece counts as finished until it is started again, as a halted
  // synthesiser's player does.
  void Stop() override {
    playing_ = false;
    halted_ = true;
    port_.Reset();
  }
  bool Rewind() override {
    playing_ = false;
    halted_ = false;
    position_ = 0;
    next_ = 0;
    port_.Reset();
    return true;
  }
  bool Finished() const override { return halted_ || position_ > end_; }
  void RenderInto(float*, int frames) override {
    if (!playing_ || frames <= 0) return;
    position_ += uint64_t(frames);
    for (; next_ < events_.size() && events_[next_].frame < position_; ++next_)
      port_.Send(events_[next_].message);
  }

 private:
  MidiPort& port_;
  const std::vector<Timed> events_;
  const uint64_t end_;
  uint64_t position_ = 0;  // frames rendered since the top
  size_t next_ = 0;        // the first event not sent
  bool playing_ = false;
  bool halted_ = false;
};

}  // namespace

MidiPort::~MidiPort() = default;

std::unique_ptr<MidiRenderer> SequenceOnPort(MidiPort& port, const std::vector<uint8_t>& piece, int rate) {
  std::vector<Timed> events;
  uint64_t end = 0;
  if (rate <= 0 || !Sequence(piece, rate, events, end)) return nullptr;
  return std::make_unique<PortSequence>(port, std::move(events), end);
}

}  // namespace tv
