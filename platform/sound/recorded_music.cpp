#include "platform/sound/recorded_music.h"

#include <algorithm>
#include <cinttypes>
#include <cstdio>

#include "platform/files/file_report.h"
#include "platform/files/native_file.h"
#include "platform/sound/recording_file.h"

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

std::string Clock(uint64_t frame, int rate) {
  const uint64_t tenths = frame * 10 / uint64_t(rate);
  char buf[32];
  std::snprintf(buf, sizeof buf, "%" PRIu64 ":%02" PRIu64 ".%" PRIu64, tenths / 600, tenths / 10 % 60,
                tenths % 10);
  return buf;
}

}  // namespace

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

std::unique_ptr<RecordedPiece> RecordedPiece::Open(const std::string& path, int rate, std::string* why) {
  std::string ignored;
  std::string& problem = why ? *why : ignored;
  problem.clear();
  if (ReportedUnusable(path)) {
    problem = "found unusable earlier in this run";
    return nullptr;
  }
  auto file = RecordingFile::Open(path, problem);
  if (!file) return nullptr;
  const RecordingHead& head = file->Head();
  problem = "not a recording made for this game's output (its format, rate or end mark)";
  if (!head.flac || head.channels != 2 || head.rate != rate || head.frames == 0) return nullptr;
  unsigned long long done = 0;
  char extra = 0;
  if (std::sscanf(head.comment.c_str(), "done=%llu%c", &done, &extra) != 1 || done > head.frames)
    return nullptr;
  // The header promises the length; a copy cut short keeps it. Its last frame
  // decoded proves the rest is there (docs/performance.md has the cost). The
  // decoder's buffers are thus made here, not on the audio thread.
  if (!file->LastFrameDecodes()) {
    problem = "cut short or damaged: its last frame does not decode";
    return nullptr;
  }
  problem.clear();
  std::unique_ptr<RecordedPiece> piece(new RecordedPiece());
  piece->file_ = std::move(file);
  piece->path_ = path;
  piece->rate_ = rate;
  piece->frames_ = head.frames;
  piece->done_ = done;
  piece->scratch_.resize(2 * RecordingFile::kMaxRead);
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
    if (!file_->Rewind()) BreakOff("it does not go back to its start");
  }
  while (playing_ && frames > 0 && position_ < frames_) {
    const int want =
        int(std::min<uint64_t>(uint64_t(std::min(frames, RecordingFile::kMaxRead)), frames_ - position_));
    const int got = file_->Read(scratch_.data(), want);
    for (int i = 0; i < 2 * got; ++i) out[i] += scratch_[size_t(i)];
    out += 2 * got;
    frames -= got;
    position_ += uint64_t(got);
    if (const char* damage = file_->Damage()) {
      BreakOff(damage);
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
