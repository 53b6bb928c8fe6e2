#include "platform/files/atomic_file.h"
#include "platform/sound/recorded_music.h"

#include <fcntl.h>
#include <sndfile.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cinttypes>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "platform/files/file_report.h"

namespace tv {

namespace {

constexpr uint64_t kFnvOffset = 14695981039346656037ull;
constexpr uint64_t kFnvPrime = 1099511628211ull;

uint64_t Fnv(uint64_t h, const void* data, size_t size) {
  const auto* p = static_cast<const uint8_t*>(data);
  for (size_t i = 0; i < size; ++i) h = (h ^ p[i]) * kFnvPrime;
  return h;
}

std::string Hex(uint64_t v) {
  char buf[17];
  std::snprintf(buf, sizeof buf, "%016" PRIx64, v);
  return buf;
}

// A regular file opened without blocking: a pipe or a device in a
// recording's place must not hang the game. -1 if not, with errno set
// (EINVAL for what is not a regular file).
int OpenRegular(const std::string& path, struct stat& st) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return -1;
  const int err = ::fstat(fd, &st) != 0 ? errno : S_ISREG(st.st_mode) ? 0 : EINVAL;
  if (err != 0) {
    ::close(fd);
    errno = err;
    return -1;
  }
  return fd;
}

std::string Clock(uint64_t frame, int rate) {
  const uint64_t tenths = frame * 10 / uint64_t(rate);
  char buf[32];
  std::snprintf(buf, sizeof buf, "%" PRIu64 ":%02" PRIu64 ".%" PRIu64, tenths / 600, tenths / 10 % 60,
                tenths % 10);
  return buf;
}

constexpr const char* kDoneTag = "done=";
constexpr int kBlock = 1024;

}  // namespace

struct RecordedPiece::File {
  SNDFILE* sf = nullptr;
  float scratch[2 * kBlock] = {};
  ~File() {
    if (sf) sf_close(sf);
  }

  // The decoder on `path` at its top, or null with `problem` set unless
  // there is no such file.
  static std::unique_ptr<File> Open(const std::string& path, SF_INFO& info, std::string& problem) {
    struct stat st {};
    const int fd = OpenRegular(path, st);
    if (fd < 0) {
      if (errno == EINVAL) problem = "not a regular file";
      else if (errno != ENOENT && errno != ENOTDIR) problem = std::strerror(errno);
      return nullptr;
    }
    auto file = std::make_unique<File>();
    info = SF_INFO{};
    // Failing, libsndfile closes fd itself: closing it again could close a
    // descriptor another thread has just been given.
    file->sf = sf_open_fd(fd, SFM_READ, &info, SF_TRUE);
    if (!file->sf) {
      problem = std::string("unreadable as a recording (") + sf_strerror(nullptr) + ")";
      return nullptr;
    }
    return file;
  }
};

std::string RecordingsDirectory(const std::string& programDirectory) { return programDirectory + "/recordings"; }

std::string SoundFontIdentity(const std::string& path) {
  struct stat st {};
  const int fd = OpenRegular(path, st);
  if (fd < 0) return {};
  constexpr off_t kPart = 64 << 10;
  std::vector<uint8_t> part(size_t(std::min<off_t>(kPart, st.st_size)));
  uint64_t h = kFnvOffset;
  bool ok = ::pread(fd, part.data(), part.size(), 0) == ssize_t(part.size());
  h = Fnv(h, part.data(), part.size());
  ok = ok && ::pread(fd, part.data(), part.size(), st.st_size - off_t(part.size())) == ssize_t(part.size());
  h = Fnv(h, part.data(), part.size());
  ::close(fd);
  if (!ok) return {};
  return std::to_string(st.st_size) + ":" + Hex(h);
}

std::string RecordingName(const std::vector<uint8_t>& piece, const std::string& synthIdentity) {
  uint64_t h = Fnv(kFnvOffset, synthIdentity.data(), synthIdentity.size());
  const uint8_t separator = 0;
  h = Fnv(h, &separator, 1);
  h = Fnv(h, piece.data(), piece.size());
  return Hex(h) + ".flac";
}

bool WriteRecording(const std::string& path, const std::vector<float>& stereo, int rate, uint64_t doneFrame) {
  AtomicFile out(path);
  SF_INFO info{};
  info.samplerate = rate;
  info.channels = 2;
  info.format = SF_FORMAT_FLAC | SF_FORMAT_PCM_16;
  // Opened here, close-on-exec; libsndfile's own open is not.
  const int fd = ::open(out.WritePath().c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd < 0) return false;
  SNDFILE* sf = sf_open_fd(fd, SFM_WRITE, &info, SF_TRUE);  // closes fd when it fails
  if (!sf) return false;
  const std::string comment = kDoneTag + std::to_string(doneFrame);
  bool ok = sf_set_string(sf, SF_STR_COMMENT, comment.c_str()) == 0;
  // Scaled by 2^15 both ways (the reader divides by 0x8000), so a sample
  // comes back within half a step of what the synthesiser gave.
  std::vector<short> block(2 * kBlock);
  const size_t frames = stereo.size() / 2;
  for (size_t f = 0; ok && f < frames; f += kBlock) {
    const size_t n = std::min<size_t>(kBlock, frames - f);
    for (size_t i = 0; i < 2 * n; ++i) {
      const long v = std::lrint(double(stereo[2 * f + i]) * 32768.0);
      block[i] = short(std::clamp<long>(v, -32768, 32767));
    }
    ok = sf_writef_short(sf, block.data(), sf_count_t(n)) == sf_count_t(n);
  }
  ok = sf_close(sf) == 0 && ok;
  return ok && out.Commit() == 0;
}

std::unique_ptr<RecordedPiece> RecordedPiece::Open(const std::string& path, int rate, std::string* why) {
  std::string ignored;
  std::string& problem = why ? *why : ignored;
  problem.clear();
  if (ReportedUnusable(path)) {
    problem = "found unusable earlier in this run";
    return nullptr;
  }
  SF_INFO info{};
  auto file = File::Open(path, info, problem);
  if (!file) return nullptr;
  problem = "not a recording made for this game's output (its format, rate or end mark)";
  if ((info.format & SF_FORMAT_TYPEMASK) != SF_FORMAT_FLAC || info.channels != 2 || info.samplerate != rate ||
      info.frames <= 0)
    return nullptr;
  const char* comment = sf_get_string(file->sf, SF_STR_COMMENT);
  unsigned long long done = 0;
  char extra = 0;
  if (!comment || std::sscanf(comment, "done=%llu%c", &done, &extra) != 1 || done > uint64_t(info.frames))
    return nullptr;
  // The header promises the length; a copy cut short keeps it. Its last frame
  // decoded proves the rest is there: the decoder finds it by a few probes
  // and decodes it, then goes back to the top (docs/performance.md has the
  // cost). The decoder's buffers are thus made here, not on the audio thread.
  float last[2 * 2];
  if (sf_seek(file->sf, info.frames - 1, SEEK_SET) != info.frames - 1 ||
      sf_readf_float(file->sf, last, 2) != 1 || sf_error(file->sf) != SF_ERR_NO_ERROR ||
      sf_seek(file->sf, 0, SEEK_SET) != 0) {
    problem = "cut short or damaged: its last frame does not decode";
    return nullptr;
  }
  problem.clear();
  std::unique_ptr<RecordedPiece> piece(new RecordedPiece());
  piece->file_ = std::move(file);
  piece->path_ = path;
  piece->rate_ = rate;
  piece->frames_ = uint64_t(info.frames);
  piece->done_ = done;
  return piece;
}

RecordedPiece::~RecordedPiece() = default;

void RecordedPiece::Start() {
  playing_ = true;
  halted_ = false;
}

// A halted piece counts as finished until it is started again, as a halted
// sequence player does.
void RecordedPiece::Stop() {
  playing_ = false;
  halted_ = true;
}

// The decoder goes back to the top at the next render, on the audio thread:
// a seek decodes a block, more than the lock this is called under allows.
bool RecordedPiece::Rewind() {
  playing_ = false;
  halted_ = false;
  position_ = 0;
  rewound_ = true;
  return true;
}

bool RecordedPiece::Finished() const { return halted_ || position_ >= done_; }

void RecordedPiece::RenderInto(float* out, int frames) {
  if (playing_ && rewound_) {
    rewound_ = false;
    if (sf_seek(file_->sf, 0, SEEK_SET) != 0) BreakOff("it does not go back to its start");
  }
  while (playing_ && frames > 0 && position_ < frames_) {
    const int want = int(std::min<uint64_t>(uint64_t(std::min(frames, kBlock)), frames_ - position_));
    const sf_count_t got = std::max<sf_count_t>(sf_readf_float(file_->sf, file_->scratch, want), 0);
    for (sf_count_t i = 0; i < 2 * got; ++i) out[i] += file_->scratch[i];
    out += 2 * got;
    frames -= int(got);
    position_ += uint64_t(got);
    if (sf_error(file_->sf) != SF_ERR_NO_ERROR) {
      BreakOff(sf_strerror(file_->sf));
      break;
    }
    if (got < want) {
      BreakOff("the file ends early");
      break;
    }
  }
}

// Not handed to the synthesiser here: this is the audio thread, with the
// device locked, and the synthesiser may not even be loaded (every piece
// recorded); loading its sound font here would stall the sound and the game.
// The piece ends as a damaged file does, and its next opening is synthesised.
void RecordedPiece::BreakOff(const char* cause) {
  ReportUnusableFile(path_, "the recording breaks off at " + Clock(position_, rate_) + " (" + cause +
                                "): the piece stops there and is synthesised from its next start");
  position_ = frames_;
}

}  // namespace tv
