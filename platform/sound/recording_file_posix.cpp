// Recordings through libsndfile: read from their file, opened as a regular
// file only, so a pipe or a device in its place cannot hang the game; written
// by the build (WriteRecording) into memory and put in their file whole.
#include <sndfile.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <vector>

#include "platform/files/atomic_file.h"
#include "platform/files/native_file.h"
#include "platform/sound/recorded_music.h"
#include "platform/sound/recording_file.h"

namespace tv {

namespace {

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

constexpr int kBlock = 1024;

class SndFileRecording final : public RecordingFile {
 public:
  ~SndFileRecording() override {
    if (sf_) sf_close(sf_);
  }

  bool Open(const std::string& path, std::string& problem) {
    if (const int err = source_.Open(path)) {
      if (err == EINVAL || err == EISDIR) problem = "not a regular file";
      else if (err != ENOENT && err != ENOTDIR) problem = std::strerror(err);
      return false;
    }
    stream_.file = &source_;
    SF_INFO info{};
    sf_ = OpenStream(stream_, SFM_READ, info);
    if (!sf_) {
      problem = std::string("unreadable as a recording (") + sf_strerror(nullptr) + ")";
      return false;
    }
    head_.flac = (info.format & SF_FORMAT_TYPEMASK) == SF_FORMAT_FLAC;
    head_.channels = info.channels;
    head_.rate = info.samplerate;
    head_.frames = info.frames > 0 ? uint64_t(info.frames) : 0;
    const char* comment = sf_get_string(sf_, SF_STR_COMMENT);
    head_.comment = comment ? comment : "";
    return true;
  }

  const RecordingHead& Head() const override { return head_; }
  // The decoder finds the last frame by a few probes and decodes it.
  bool LastFrameDecodes() override {
    const sf_count_t last = sf_count_t(head_.frames) - 1;
    float frame[2 * 2];
    return sf_seek(sf_, last, SEEK_SET) == last && sf_readf_float(sf_, frame, 2) == 1 &&
           sf_error(sf_) == SF_ERR_NO_ERROR && Rewind();
  }
  bool Rewind() override { return sf_seek(sf_, 0, SEEK_SET) == 0; }
  int Read(float* out, int frames) override {
    return int(std::max<sf_count_t>(sf_readf_float(sf_, out, frames), 0));
  }
  const char* Damage() const override {
    return sf_error(sf_) != SF_ERR_NO_ERROR ? sf_strerror(sf_) : nullptr;
  }

 private:
  ReadOnlyFile source_;
  Stream stream_;
  SNDFILE* sf_ = nullptr;
  RecordingHead head_;
};

}  // namespace

std::unique_ptr<RecordingFile> RecordingFile::Open(const std::string& path, std::string& problem) {
  auto file = std::make_unique<SndFileRecording>();
  if (!file->Open(path, problem)) return nullptr;
  return file;
}

bool WriteRecording(const std::string& path, const std::vector<float>& stereo, int rate, uint64_t doneFrame) {
  SF_INFO info{};
  info.samplerate = rate;
  info.channels = 2;
  info.format = SF_FORMAT_FLAC | SF_FORMAT_PCM_16;
  Stream out;
  SNDFILE* sf = OpenStream(out, SFM_WRITE, info);
  if (!sf) return false;
  const std::string comment = kRecordingDoneTag + std::to_string(doneFrame);
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

}  // namespace tv
