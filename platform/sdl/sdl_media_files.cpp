#include "platform/sdl/sdl_media_files.h"

#include <SDL.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace tv::sdl {

namespace {

// Decoded sound is held in memory whole; this bounds what a small file can blow up to.
constexpr int64_t kMaxDecodedBytes = int64_t(256) << 20;

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

struct TempoChange {
  uint64_t tick;
  uint32_t usPerQuarter;
};

// One MTrk chunk's events; the tick of its end, or false when anything is malformed.
bool ParseTrack(Reader r, std::vector<TempoChange>& tempos, uint64_t& end) {
  uint64_t tick = 0;
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
      for (int i = 0; i < count; ++i) {
        uint8_t d;
        if (i == 0 && pending >= 0) d = uint8_t(pending);
        else if (!r.Byte(d)) return false;
        if (d & 0x80) return false;
      }
    } else if (status == 0xF0 || status == 0xF7) {
      running = 0;
      uint32_t len;
      if (!r.Vlq(len) || !r.Skip(len)) return false;
    } else if (status == 0xFF) {
      running = 0;
      uint8_t type;
      uint32_t len;
      if (!r.Byte(type) || (type & 0x80) || !r.Vlq(len) || len > r.Left()) return false;
      const uint8_t* p = r.Here();
      if (type == 0x51) {
        if (len != 3) return false;
        const uint32_t us = uint32_t(p[0]) << 16 | uint32_t(p[1]) << 8 | p[2];
        if (us == 0) return false;
        tempos.push_back({tick, us});
      }
      r.Skip(len);
      if (type == 0x2F) break;  // end of track; whatever follows in the chunk is padding
    } else {
      return false;  // system common and real-time messages have no place in a file
    }
  }
  end = tick;
  return true;
}

// RIFF "RMID" keeps a Standard MIDI File in its "data" chunk.
bool UnwrapRiffMidi(std::vector<uint8_t>& bytes) {
  Reader r(bytes.data(), bytes.size());
  if (!r.Tag("RIFF") || !r.Skip(4) || !r.Tag("RMID")) return false;
  while (r.Left() >= 8) {
    const bool data = r.Tag("data");
    if (!data) r.Skip(4);
    uint32_t len = 0;
    r.U32(len);
    if (len > r.Left()) return false;
    if (data) {
      const size_t from = size_t(r.Here() - bytes.data());
      bytes = std::vector<uint8_t>(bytes.begin() + std::ptrdiff_t(from), bytes.begin() + std::ptrdiff_t(from + len));
      return true;
    }
    r.Skip(len + (len & 1));  // RIFF chunks are padded to an even length
  }
  return false;
}

}  // namespace

FileCheck ReadMediaFile(const std::string& path, std::vector<uint8_t>& bytes) {
  bytes.clear();
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return errno == ENOENT || errno == ENOTDIR || errno == ENAMETOOLONG ? FileCheck::NotFound
                                                                                  : FileCheck::Unreadable;
  struct stat st {};
  FileCheck result = FileCheck::Ok;
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    result = FileCheck::Unreadable;
  } else if (st.st_size == 0) {
    result = FileCheck::Empty;
  } else if (uint64_t(st.st_size) > kMaxMediaFileBytes) {
    result = FileCheck::TooLarge;
  } else {
    bytes.resize(size_t(st.st_size));
    size_t got = 0;
    while (got < bytes.size()) {
      const ssize_t n = ::read(fd, bytes.data() + got, bytes.size() - got);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) break;
      got += size_t(n);
    }
    // A file that shrank while being read is taken as it was read.
    bytes.resize(got);
    if (got == 0) result = FileCheck::Empty;
  }
  ::close(fd);
  if (result != FileCheck::Ok) bytes.clear();
  return result;
}

FileCheck ParseMidi(std::vector<uint8_t>& bytes, uint32_t& lengthMs) {
  if (bytes.size() >= 4 && std::memcmp(bytes.data(), "RIFF", 4) == 0 && !UnwrapRiffMidi(bytes))
    return FileCheck::NotMidi;
  Reader r(bytes.data(), bytes.size());
  uint32_t headerLen, format, tracks, division;
  if (!r.Tag("MThd") || !r.U32(headerLen) || headerLen < 6 || headerLen > r.Left()) return FileCheck::NotMidi;
  if (!r.U16(format) || !r.U16(tracks) || !r.U16(division) || !r.Skip(headerLen - 6)) return FileCheck::NotMidi;
  if (format > 2 || tracks == 0 || division == 0) return FileCheck::NotMidi;

  double ticksPerSecond = 0;  // for time-code division; 0 = metrical
  if (division & 0x8000) {
    const int fps = -int(int8_t(division >> 8));
    const int perFrame = int(division & 0xFF);
    if ((fps != 24 && fps != 25 && fps != 29 && fps != 30) || perFrame == 0) return FileCheck::NotMidi;
    ticksPerSecond = (fps == 29 ? 29.97 : double(fps)) * perFrame;
  }

  std::vector<TempoChange> tempos;
  uint64_t endTick = 0;
  for (uint32_t found = 0; found < tracks;) {
    uint32_t chunkLen;
    const bool isTrack = r.Tag("MTrk");
    if (!isTrack && !r.Skip(4)) return FileCheck::NotMidi;
    if (!r.U32(chunkLen) || chunkLen > r.Left()) return FileCheck::NotMidi;
    if (isTrack) {
      uint64_t end = 0;
      if (!ParseTrack(Reader(r.Here(), chunkLen), tempos, end)) return FileCheck::NotMidi;
      endTick = std::max(endTick, end);
      ++found;
    }
    r.Skip(chunkLen);  // chunks of other kinds are skipped, as readers must
  }

  long double ms;
  if (ticksPerSecond > 0) {
    ms = (long double)endTick * 1000.0L / ticksPerSecond;
  } else {
    std::stable_sort(tempos.begin(), tempos.end(),
                     [](const TempoChange& a, const TempoChange& b) { return a.tick < b.tick; });
    long double us = 0;
    uint64_t at = 0;
    uint32_t tempo = 500000;  // 120 beats a minute until told otherwise
    for (const auto& t : tempos) {
      if (t.tick >= endTick) break;
      us += (long double)(t.tick - at) * tempo / division;
      at = t.tick;
      tempo = t.usPerQuarter;
    }
    us += (long double)(endTick - at) * tempo / division;
    ms = us / 1000.0L;
  }
  lengthMs = ms >= (long double)UINT32_MAX ? UINT32_MAX : uint32_t(ms);
  return FileCheck::Ok;
}

FileCheck DecodeWave(const std::vector<uint8_t>& bytes, int rate, std::vector<float>& stereo) {
  stereo.clear();
  if (bytes.empty()) return FileCheck::Empty;
  SDL_RWops* rw = SDL_RWFromConstMem(bytes.data(), int(bytes.size()));
  if (!rw) return FileCheck::NotWave;
  SDL_AudioSpec format{};
  Uint8* pcm = nullptr;
  Uint32 len = 0;
  if (!SDL_LoadWAV_RW(rw, 1, &format, &pcm, &len)) return FileCheck::NotWave;

  FileCheck result = FileCheck::Ok;
  // Converted in one go: SDL's streaming converter holds back the last block at the end.
  SDL_AudioCVT cvt;
  if (SDL_BuildAudioCVT(&cvt, format.format, format.channels, format.freq, AUDIO_F32SYS, 2, rate) < 0) {
    result = FileCheck::NotWave;
  } else if (int64_t(len) * cvt.len_mult > kMaxDecodedBytes) {
    result = FileCheck::TooLarge;
  } else if (len > 0) {
    std::vector<uint8_t> work(size_t(len) * size_t(cvt.len_mult));
    std::memcpy(work.data(), pcm, len);
    cvt.buf = work.data();
    cvt.len = int(len);
    if (SDL_ConvertAudio(&cvt) != 0) {
      result = FileCheck::NotWave;
    } else {
      stereo.resize(size_t(cvt.len_cvt) / sizeof(float) / 2 * 2);
      std::memcpy(stereo.data(), work.data(), stereo.size() * sizeof(float));
    }
  }
  SDL_FreeWAV(pcm);
  if (result != FileCheck::Ok) stereo.clear();
  return result;
}

}  // namespace tv::sdl
