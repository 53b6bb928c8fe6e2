// The MIDI reader: parses a Standard MIDI File strictly and writes it again in
// the one shape every synthesiser's player renders the same way. FluidSynth
// plays silence, without an error, for time-code division, F7 packets, a
// longer header, a foreign chunk between tracks and more than 128 tracks.
#include <algorithm>
#include <cstring>

#include "platform/sound/media_files.h"

namespace tv {
namespace {

class Reader {
 public:
  Reader(const uint8_t* data, size_t size) : data_(data), size_(size) {}

  size_t Left() const { return size_ - at_; }
  bool AtEnd() const { return at_ == size_; }
  const uint8_t* Here() const { return data_ + at_; }

  bool Byte(uint8_t& b) {
    if (at_ >= size_) return false;
    b = data_[at_++];
    return true;
  }
  bool U16(uint32_t& v) { return Big(2, v); }
  bool U32(uint32_t& v) { return Big(4, v); }
  bool Le32(uint32_t& v) {
    if (Left() < 4) return false;
    v = uint32_t(data_[at_]) | uint32_t(data_[at_ + 1]) << 8 | uint32_t(data_[at_ + 2]) << 16 |
        uint32_t(data_[at_ + 3]) << 24;
    at_ += 4;
    return true;
  }
  bool Skip(size_t n) {
    if (n > Left()) return false;
    at_ += n;
    return true;
  }
  // A variable-length quantity of at most four bytes.
  bool Vlq(uint32_t& v) {
    v = 0;
    for (int i = 0; i < 4; ++i) {
      uint8_t b;
      if (!Byte(b)) return false;
      v = (v << 7) | (b & 0x7F);
      if (!(b & 0x80)) return true;
    }
    return false;
  }
  bool Tag(const char* tag) {
    if (Left() < 4 || std::memcmp(Here(), tag, 4) != 0) return false;
    at_ += 4;
    return true;
  }

 private:
  bool Big(int n, uint32_t& v) {
    if (Left() < size_t(n)) return false;
    v = 0;
    for (int i = 0; i < n; ++i) v = (v << 8) | data_[at_++];
    return true;
  }

  const uint8_t* data_;
  size_t size_;
  size_t at_ = 0;
};

void PutVlq(std::vector<uint8_t>& out, uint32_t v) {
  uint8_t buf[5];
  int n = 0;
  buf[n++] = uint8_t(v & 0x7F);
  while (v >>= 7) buf[n++] = uint8_t(0x80 | (v & 0x7F));
  while (n) out.push_back(buf[--n]);
}

void PutBig(std::vector<uint8_t>& out, uint32_t v, int bytes) {
  for (int s = 8 * (bytes - 1); s >= 0; s -= 8) out.push_back(uint8_t(v >> s));
}

// Every event kept, in the order of the tracks; `at` and `size` locate its
// bytes (status included, no running status) in the pool.
struct Event {
  uint64_t tick;
  uint32_t at;
  uint32_t size;
};

struct Piece {
  std::vector<Event> events;
  std::vector<uint8_t> pool;
  uint64_t endTick = 0;
  bool timeCode = false;

  void Add(uint64_t tick, const uint8_t* bytes, size_t n) {
    events.push_back({tick, uint32_t(pool.size()), uint32_t(n)});
    pool.insert(pool.end(), bytes, bytes + n);
  }
};

// One MTrk chunk. Running status survives meta and system exclusive events,
// as the players that wrote such files expect. False when anything is malformed.
bool ParseTrack(Reader r, uint64_t startTick, Piece& piece) {
  uint64_t tick = startTick;
  uint8_t running = 0;
  while (!r.AtEnd()) {
    uint32_t delta;
    uint8_t b;
    if (!r.Vlq(delta) || !r.Byte(b)) return false;
    tick += delta;
    uint8_t status = b;
    int pending = -1;  // a data byte already read under running status
    if (b < 0x80) {
      if (running == 0) return false;
      status = running;
      pending = b;
    }
    if (status < 0xF0) {
      running = status;
      const int kind = status & 0xF0;
      const int count = kind == 0xC0 || kind == 0xD0 ? 1 : 2;
      uint8_t msg[3] = {status, 0, 0};
      for (int i = 0; i < count; ++i) {
        uint8_t d;
        if (i == 0 && pending >= 0) d = uint8_t(pending);
        else if (!r.Byte(d)) return false;
        if (d & 0x80) return false;
        msg[1 + i] = d;
      }
      piece.Add(tick, msg, size_t(1 + count));
    } else if (status == 0xF0 || status == 0xF7) {
      uint32_t len;
      if (!r.Vlq(len) || len > r.Left()) return false;
      // A whole system exclusive message is kept; F7 packets (parts of one, or
      // raw bytes to send) have no meaning the synthesiser could use.
      if (status == 0xF0 && len > 0 && r.Here()[len - 1] == 0xF7) {
        std::vector<uint8_t> msg{0xF0};
        PutVlq(msg, len);
        msg.insert(msg.end(), r.Here(), r.Here() + len);
        piece.Add(tick, msg.data(), msg.size());
      }
      r.Skip(len);
    } else if (status == 0xFF) {
      uint8_t type;
      uint32_t len;
      if (!r.Byte(type) || (type & 0x80) || !r.Vlq(len) || len > r.Left()) return false;
      const uint8_t* p = r.Here();
      if (type == 0x51) {
        if (len != 3 || (p[0] | p[1] | p[2]) == 0) return false;
        // Under time-code division the tempo means nothing; the map is made anew.
        const uint8_t msg[6] = {0xFF, 0x51, 0x03, p[0], p[1], p[2]};
        if (!piece.timeCode) piece.Add(tick, msg, sizeof msg);
      }
      r.Skip(len);
      if (type == 0x2F) break;  // end of track; whatever follows in the chunk is padding
    } else {
      return false;  // system common and real-time messages have no place in a file
    }
  }
  piece.endTick = std::max(piece.endTick, tick);
  return true;
}

// RIFF "RMID" keeps a Standard MIDI File in its "data" chunk; RIFF sizes are little-endian.
bool UnwrapRiffMidi(std::vector<uint8_t>& bytes) {
  Reader r(bytes.data(), bytes.size());
  uint32_t riffLen;
  if (!r.Tag("RIFF") || !r.Le32(riffLen) || !r.Tag("RMID")) return false;
  while (r.Left() >= 8) {
    const bool data = r.Tag("data");
    if (!data) r.Skip(4);
    uint32_t len = 0;
    r.Le32(len);
    if (len > r.Left()) return false;
    if (data) {
      const size_t from = size_t(r.Here() - bytes.data());
      bytes = std::vector<uint8_t>(bytes.begin() + std::ptrdiff_t(from), bytes.begin() + std::ptrdiff_t(from + len));
      return true;
    }
    if (!r.Skip(len + (len & 1))) return false;  // RIFF chunks are padded to an even length
  }
  return false;
}

// Time-code division as ticks a quarter note and the one tempo that keeps every
// tick at its time: 30 frames "drop frame" run at 29.97 a second.
void TimeCodeAsTempo(int fps, int perFrame, uint32_t& division, uint32_t& usPerQuarter) {
  division = uint32_t((fps == 29 ? 30 : fps) * perFrame);
  usPerQuarter = fps == 29 ? 1001001 : 1000000;
}

uint32_t LengthMs(const Piece& piece, uint32_t division) {
  long double us = 0;
  uint64_t at = 0;
  uint32_t tempo = 500000;  // 120 beats a minute until told otherwise
  for (const Event& e : piece.events) {
    if (e.tick >= piece.endTick) break;
    if (e.size != 6 || piece.pool[e.at] != 0xFF || piece.pool[e.at + 1] != 0x51) continue;
    us += (long double)(e.tick - at) * tempo / division;
    at = e.tick;
    const uint8_t* p = &piece.pool[e.at + 3];
    tempo = uint32_t(p[0]) << 16 | uint32_t(p[1]) << 8 | p[2];
  }
  us += (long double)(piece.endTick - at) * tempo / division;
  const long double ms = us / 1000.0L;
  return ms >= (long double)UINT32_MAX ? UINT32_MAX : uint32_t(ms);
}

// One track, format 0; false when a gap between events is too long to write.
bool Write(const Piece& piece, uint32_t division, std::vector<uint8_t>& out) {
  std::vector<uint8_t> track;
  track.reserve(piece.pool.size() + 2 * piece.events.size() + 8);
  uint64_t at = 0;
  for (const Event& e : piece.events) {
    if (e.tick - at > 0x0FFFFFFF) return false;
    PutVlq(track, uint32_t(e.tick - at));
    at = e.tick;
    track.insert(track.end(), piece.pool.begin() + e.at, piece.pool.begin() + e.at + e.size);
  }
  if (piece.endTick - at > 0x0FFFFFFF || track.size() > 0xFFFFFFF0u) return false;
  PutVlq(track, uint32_t(piece.endTick - at));
  track.insert(track.end(), {0xFF, 0x2F, 0x00});
  out.clear();
  out.insert(out.end(), {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 0, 0, 1});
  PutBig(out, division, 2);
  out.insert(out.end(), {'M', 'T', 'r', 'k'});
  PutBig(out, uint32_t(track.size()), 4);
  out.insert(out.end(), track.begin(), track.end());
  return true;
}

}  // namespace

FileCheck ParseMidi(std::vector<uint8_t>& bytes, uint32_t& lengthMs) {
  if (bytes.size() >= 4 && std::memcmp(bytes.data(), "RIFF", 4) == 0 && !UnwrapRiffMidi(bytes))
    return FileCheck::NotMidi;
  Reader r(bytes.data(), bytes.size());
  uint32_t headerLen, format, tracks, division;
  if (!r.Tag("MThd") || !r.U32(headerLen) || headerLen < 6 || headerLen > r.Left()) return FileCheck::NotMidi;
  if (!r.U16(format) || !r.U16(tracks) || !r.U16(division) || !r.Skip(headerLen - 6)) return FileCheck::NotMidi;
  if (format > 2 || tracks == 0 || division == 0) return FileCheck::NotMidi;

  Piece piece;
  uint32_t tempo = 0;
  if (division & 0x8000) {
    const int fps = -int(int8_t(division >> 8));
    const int perFrame = int(division & 0xFF);
    if ((fps != 24 && fps != 25 && fps != 29 && fps != 30) || perFrame == 0) return FileCheck::NotMidi;
    piece.timeCode = true;
    TimeCodeAsTempo(fps, perFrame, division, tempo);
    const uint8_t msg[6] = {0xFF, 0x51, 0x03, uint8_t(tempo >> 16), uint8_t(tempo >> 8), uint8_t(tempo)};
    piece.Add(0, msg, sizeof msg);
  }

  for (uint32_t found = 0; found < tracks;) {
    uint32_t chunkLen;
    const bool isTrack = r.Tag("MTrk");
    if (!isTrack && !r.Skip(4)) return FileCheck::NotMidi;
    if (!r.U32(chunkLen) || chunkLen > r.Left()) return FileCheck::NotMidi;
    if (isTrack) {
      // Format 2 holds patterns played one after another, not together.
      const uint64_t start = format == 2 ? piece.endTick : 0;
      if (!ParseTrack(Reader(r.Here(), chunkLen), start, piece)) return FileCheck::NotMidi;
      ++found;
    }
    r.Skip(chunkLen);  // chunks of other kinds are skipped, as readers must
  }
  if (piece.pool.size() > 0xFFFFFFF0u) return FileCheck::NotMidi;

  // Tracks play together: their events merge by time, in track order at equal times.
  std::stable_sort(piece.events.begin(), piece.events.end(),
                   [](const Event& a, const Event& b) { return a.tick < b.tick; });
  std::vector<uint8_t> clean;
  if (!Write(piece, division, clean)) return FileCheck::NotMidi;
  lengthMs = LengthMs(piece, division);
  bytes = std::move(clean);
  return FileCheck::Ok;
}

}  // namespace tv
