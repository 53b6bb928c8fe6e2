#include "platform/recorded_music.h"

#include <fcntl.h>
#include <sndfile.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cinttypes>
#include <cmath>
#include <cstdio>
#include <filesystem>

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
// recording's place must not hang the game. -1 if not.
int OpenRegular(const std::string& path, struct stat& st) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return -1;
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    return -1;
  }
  return fd;
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
  const std::string part = path + ".part";
  SF_INFO info{};
  info.samplerate = rate;
  info.channels = 2;
  info.format = SF_FORMAT_FLAC | SF_FORMAT_PCM_16;
  // Opened here, close-on-exec; libsndfile's own open is not.
  const int fd = ::open(part.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
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
  std::error_code ec;
  if (ok) std::filesystem::rename(part, path, ec);
  if (!ok || ec) std::filesystem::remove(part, ec);
  return ok && !ec;
}

std::unique_ptr<RecordedPiece> RecordedPiece::Open(const std::string& path, int rate) {
  struct stat st {};
  const int fd = OpenRegular(path, st);
  if (fd < 0) return nullptr;
  auto file = std::make_unique<File>();
  SF_INFO info{};
  // Failing, libsndfile closes fd itself: closing it again could close a
  // descriptor another thread has just been given.
  file->sf = sf_open_fd(fd, SFM_READ, &info, SF_TRUE);
  if (!file->sf) return nullptr;
  if ((info.format & SF_FORMAT_TYPEMASK) != SF_FORMAT_FLAC || info.channels != 2 || info.samplerate != rate ||
      info.frames <= 0)
    return nullptr;
  const char* comment = sf_get_string(file->sf, SF_STR_COMMENT);
  unsigned long long done = 0;
  char extra = 0;
  if (!comment || std::sscanf(comment, "done=%llu%c", &done, &extra) != 1 || done > uint64_t(info.frames))
    return nullptr;
  std::unique_ptr<RecordedPiece> piece(new RecordedPiece());
  piece->file_ = std::move(file);
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

bool RecordedPiece::Rewind() {
  playing_ = false;
  halted_ = false;
  position_ = 0;
  return sf_seek(file_->sf, 0, SEEK_SET) == 0;
}

bool RecordedPiece::Finished() const { return halted_ || position_ >= done_; }

void RecordedPiece::RenderInto(float* out, int frames) {
  while (playing_ && frames > 0 && position_ < frames_) {
    const int want = int(std::min<uint64_t>(uint64_t(std::min(frames, kBlock)), frames_ - position_));
    const sf_count_t got = sf_readf_float(file_->sf, file_->scratch, want);
    if (got <= 0) {
      // A damaged stretch ends the recording: what follows is silence.
      position_ = frames_;
      break;
    }
    for (sf_count_t i = 0; i < 2 * got; ++i) out[i] += file_->scratch[i];
    out += 2 * got;
    frames -= int(got);
    position_ += uint64_t(got);
  }
}

}  // namespace tv
