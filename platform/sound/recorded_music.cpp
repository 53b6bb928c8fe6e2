#include "platform/sound/recorded_music.h"

#include <sndfile.h>

#include <algorithm>
#include <cerrno>
#include <cinttypes>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "platform/files/atomic_file.h"
#include "platform/files/file_report.h"
#include "platform/files/native_file.h"

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

// What libsndfile reads a recording from (its file, opened as a regular file
// only, so a pipe or a device in its place cannot hang the game) or writes
// one to (memory, put in its file whole once it is done).
struct Stream {
  const ReadOnlyFile* file = nullptr;
  std::string written;
  sf_count_t at = 0;

  sf_count_t Size() const { return file ? sf_count_t(file->Size()) : sf_count_t(written.size()); }
};

sf_count_t StreamSize(void* p) { return static_cast<Stream*>(p)->Size(); }

sf_count_t StreamSeek(sf_count_t offset, int whence, void* p) {
  auto* s = static_cast<Stream*>(p);
  const sf_count_t base = whence == SEEK_CUR ? s->at : whence == SEEK_END ? s->Size() : 0;
  if (base + offset < 0) return -1;
  s->at = base + offset;
  return s->at;
}

// A read that fails reads as the file's end: the piece stops there.
sf_count_t StreamRead(void* into, sf_count_t count, void* p) {
  auto* s = static_cast<Stream*>(p);
  size_t got = 0;
  if (count <= 0) return 0;
  if (s->file) {
    s->file->ReadAt(uint64_t(s->at), into, size_t(count), got);
  } else if (s->at < s->Size()) {
    got = std::min(size_t(count), size_t(s->Size() - s->at));
    std::memcpy(into, s->written.data() + s->at, got);
  }
  s->at += sf_count_t(got);
  return sf_count_t(got);
}

sf_count_t StreamWrite(const void* from, sf_count_t count, void* p) {
  auto* s = static_cast<Stream*>(p);
  if (s->file || count <= 0) return 0;
  const size_t end = size_t(s->at) + size_t(count);
  if (end > s->written.size()) s->written.resize(end);
  std::memcpy(s->written.data() + s->at, from, size_t(count));
  s->at += count;
  return count;
}

sf_count_t StreamTell(void* p) { return static_cast<Stream*>(p)->at; }

SNDFILE* OpenStream(Stream& stream, int mode, SF_INFO& info) {
  SF_VIRTUAL_IO io{StreamSize, StreamSeek, StreamRead, StreamWrite, StreamTell};
  return sf_open_virtual(&io, mode, &info, &stream);
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
  ReadOnlyFile source;
  Stream stream;
  SNDFILE* sf = nullptr;
  float scratch[2 * kBlock] = {};
  ~File() {
    if (sf) sf_close(sf);
  }

  // The decoder on `path` at its top, or null with `problem` set unless
  // there is no such file.
  static std::unique_ptr<File> Open(const std::string& path, SF_INFO& info, std::string& problem) {
    auto file = std::make_unique<File>();
    if (const int err = file->source.Open(path)) {
      if (err == EINVAL || err == EISDIR) problem = "not a regular file";
      else if (err != ENOENT && err != ENOTDIR) problem = std::strerror(err);
      return nullptr;
    }
    file->stream.file = &file->source;
    info = SF_INFO{};
    file->sf = OpenStream(file->stream, SFM_READ, info);
    if (!file->sf) {
      problem = std::string("unreadable as a recording (") + sf_strerror(nullptr) + ")";
      return nullptr;
    }
    return file;
  }
};

std::string RecordingsDirectory(const std::string& programDirectory) { return programDirectory + "/recordings"; }

std::string SoundFontIdentity(const std::string& path) {
  ReadOnlyFile file;
  if (file.Open(path) != 0) return {};
  constexpr uint64_t kPart = 64 << 10;
  std::vector<uint8_t> part(size_t(std::min(kPart, file.Size())));
  uint64_t h = kFnvOffset;
  size_t got = 0;
  bool ok = file.ReadAt(0, part.data(), part.size(), got) == 0 && got == part.size();
  h = Fnv(h, part.data(), part.size());
  ok = ok && file.ReadAt(file.Size() - part.size(), part.data(), part.size(), got) == 0 && got == part.size();
  h = Fnv(h, part.data(), part.size());
  if (!ok) return {};
  return std::to_string(file.Size()) + ":" + Hex(h);
}

std::string RecordingName(const std::vector<uint8_t>& piece, const std::string& synthIdentity) {
  uint64_t h = Fnv(kFnvOffset, synthIdentity.data(), synthIdentity.size());
  const uint8_t separator = 0;
  h = Fnv(h, &separator, 1);
  h = Fnv(h, piece.data(), piece.size());
  return Hex(h) + ".flac";
}

bool WriteRecording(const std::string& path, const std::vector<float>& stereo, int rate, uint64_t doneFrame) {
  SF_INFO info{};
  info.samplerate = rate;
  info.channels = 2;
  info.format = SF_FORMAT_FLAC | SF_FORMAT_PCM_16;
  Stream out;
  SNDFILE* sf = OpenStream(out, SFM_WRITE, info);
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
  return ok && WriteWholeFile(path, out.written) == 0;
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
