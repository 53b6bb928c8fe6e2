// Recordings through Media Foundation's source reader, which decodes FLAC on
// Windows 10 and later. Its 16-bit output is scaled as libsndfile scales it on
// Linux (over 2^15), so a recording plays sample for sample the same. The
// header (the promised length, the end mark) is read from the file itself:
// Media Foundation does not give the FLAC comment.
#include "platform/sound/recording_file.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

#include "platform/files/native_file.h"
#include "platform/sound/media_foundation_win32.h"

namespace tv {
namespace {

constexpr uint64_t kTicksPerSecond = 10'000'000;  // Media Foundation's time is in 100 ns
constexpr uint32_t kMaxMetadata = 1 << 20;        // the build writes a few hundred bytes
// How far the end the samples' times reach may lie from the promised end. A
// copy cut short loses whole FLAC blocks (4096 frames each), which no
// decoder's rounding of the times comes near.
constexpr uint64_t kEndSlack = 64;

uint32_t Be(const uint8_t* p, int bytes) {
  uint32_t v = 0;
  for (int i = 0; i < bytes; ++i) v = v << 8 | p[i];
  return v;
}
uint32_t Le32(const uint8_t* p) {
  return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

// The first "comment" entry of a FLAC Vorbis comment block, as libsndfile takes it.
void ReadComment(const std::vector<uint8_t>& block, std::string& comment) {
  size_t at = 0;
  auto field = [&](std::string* text) {
    if (block.size() - at < 4) return false;
    const uint32_t n = Le32(&block[at]);
    at += 4;
    if (n > block.size() - at) return false;
    if (text) text->assign(reinterpret_cast<const char*>(&block[at]), n);
    at += n;
    return true;
  };
  if (!field(nullptr) || block.size() - at < 4) return;
  uint32_t count = Le32(&block[at]);
  at += 4;
  constexpr char kKey[] = "comment=";
  for (std::string entry; count-- > 0 && field(&entry);) {
    if (entry.size() < sizeof kKey - 1 || _strnicmp(entry.c_str(), kKey, sizeof kKey - 1) != 0) continue;
    comment = entry.substr(sizeof kKey - 1);
    return;
  }
}

// The FLAC stream's header: STREAMINFO and the comment. False when the file is no FLAC.
bool ReadHead(const ReadOnlyFile& file, RecordingHead& head, int& bits) {
  uint8_t tag[4];
  size_t got = 0;
  if (file.ReadAt(0, tag, 4, got) != 0 || got != 4 || std::memcmp(tag, "fLaC", 4) != 0) return false;
  head.flac = true;
  uint64_t at = 4;
  bool sawInfo = false;
  for (bool last = false; !last;) {
    uint8_t h[4];
    if (file.ReadAt(at, h, 4, got) != 0 || got != 4) return false;
    last = h[0] & 0x80;
    const int type = h[0] & 0x7F;
    const uint32_t size = Be(h + 1, 3);
    at += 4;
    if (type == 0 || type == 4) {
      if (size > kMaxMetadata) return false;
      std::vector<uint8_t> block(size);
      if (file.ReadAt(at, block.data(), size, got) != 0 || got != size) return false;
      if (type == 0) {
        if (size < 18) return false;
        const uint8_t* p = block.data() + 10;
        head.rate = int(Be(p, 3) >> 4);
        head.channels = int((p[2] >> 1) & 7) + 1;
        bits = int(((p[2] & 1) << 4) | (p[3] >> 4)) + 1;
        head.frames = uint64_t(p[3] & 0x0F) << 32 | Be(p + 4, 4);
        sawInfo = true;
      } else {
        ReadComment(block, head.comment);
      }
    }
    at += size;
  }
  return sawInfo;
}

std::string ErrorText(const char* what, HRESULT hr) {
  char text[96];
  std::snprintf(text, sizeof text, "%s (Media Foundation error 0x%08lx)", what,
                static_cast<unsigned long>(hr));
  return text;
}

template <typename T>
struct Released {
  T* p = nullptr;
  ~Released() {
    if (p) p->Release();
  }
};

class MediaFoundationRecording final : public RecordingFile {
 public:
  // The reader goes before the hold on Media Foundation does.
  ~MediaFoundationRecording() override {
    if (reader_) reader_->Release();
  }

  bool Open(const std::string& path, std::string& problem) {
    if (!mf_.Api()) {
      problem = "Media Foundation is not available: " + MediaFoundation::Failure();
      return false;
    }
    ReadOnlyFile source;
    if (const int err = source.Open(path)) {
      if (err == EINVAL || err == EISDIR) problem = "not a regular file";
      else if (err != ENOENT && err != ENOTDIR) problem = std::strerror(err);
      return false;
    }
    int bits = 0;
    if (!ReadHead(source, head_, bits)) {
      problem = "unreadable as a recording (not a whole FLAC header)";
      return false;
    }
    // Only what the build writes, 16-bit samples: Media Foundation is asked
    // for those. Another layout or rate is refused by the portable checks.
    if (bits != 16) {
      problem = "not a recording made for this game's output (16-bit samples)";
      return false;
    }
    if (head_.channels != 2 || head_.rate <= 0) return true;
    EnterCom();
    std::wstring url = Wide(path);
    std::replace(url.begin(), url.end(), L'/', L'\\');
    HRESULT hr = mf_.Api()->MFCreateSourceReaderFromURL(url.c_str(), nullptr, &reader_);
    if (FAILED(hr)) {
      reader_ = nullptr;
      problem = ErrorText("unreadable as a recording", hr);
      return false;
    }
    Released<IMFMediaType> want, got;
    hr = mf_.Api()->MFCreateMediaType(&want.p);
    if (SUCCEEDED(hr)) hr = want.p->SetGUID(MF_MT_MAJOR_TYPE, MFMediaType_Audio);
    if (SUCCEEDED(hr)) hr = want.p->SetGUID(MF_MT_SUBTYPE, MFAudioFormat_PCM);
    if (SUCCEEDED(hr)) hr = want.p->SetUINT32(MF_MT_AUDIO_BITS_PER_SAMPLE, 16);
    if (SUCCEEDED(hr))
      hr = reader_->SetCurrentMediaType(DWORD(MF_SOURCE_READER_FIRST_AUDIO_STREAM), nullptr, want.p);
    if (SUCCEEDED(hr)) hr = reader_->GetCurrentMediaType(DWORD(MF_SOURCE_READER_FIRST_AUDIO_STREAM), &got.p);
    UINT32 channels = 0, rate = 0, sampleBits = 0;
    if (SUCCEEDED(hr)) hr = got.p->GetUINT32(MF_MT_AUDIO_NUM_CHANNELS, &channels);
    if (SUCCEEDED(hr)) hr = got.p->GetUINT32(MF_MT_AUDIO_SAMPLES_PER_SECOND, &rate);
    if (SUCCEEDED(hr)) hr = got.p->GetUINT32(MF_MT_AUDIO_BITS_PER_SAMPLE, &sampleBits);
    if (FAILED(hr) || channels != 2 || int(rate) != head_.rate || sampleBits != 16) {
      problem = ErrorText("not decoded to the game's output", hr);
      return false;
    }
    return true;
  }

  const RecordingHead& Head() const override { return head_; }

  // The reader is sent to the last frame's time and decodes to the end. The
  // frame is not picked out by the samples' times: after a seek, Wine's
  // reader labels them a frame late and starts a frame early. The end the
  // last sample reaches, near the promised one, is what tells a whole file.
  bool LastFrameDecodes() override {
    if (!reader_ || !SetPosition(head_.frames - 1)) return false;
    uint64_t end = 0;
    bool decoded = false;
    while (Fill()) {
      decoded = true;
      end = sampleEnd_;
      taken_ = pending_.size() / 2;
    }
    const bool whole = decoded && !damage_ && end + kEndSlack >= head_.frames && end <= head_.frames + kEndSlack;
    return whole && Rewind();
  }

  bool Rewind() override { return reader_ && SetPosition(0); }

  int Read(float* out, int frames) override {
    int done = 0;
    while (done < frames && Fill()) {
      const size_t n = std::min<size_t>(size_t(frames - done), pending_.size() / 2 - taken_);
      const int16_t* from = pending_.data() + 2 * taken_;
      for (size_t i = 0; i < 2 * n; ++i) out[2 * size_t(done) + i] = float(from[i]) * (1.0f / 0x8000);
      taken_ += n;
      done += int(n);
    }
    return done;
  }

  const char* Damage() const override { return damage_; }

 private:
  // Frames in pending_ left to take; false at the end of the data or on damage.
  bool Fill() {
    while (taken_ * 2 >= pending_.size()) {
      if (ended_ || damage_ || !reader_) return false;
      pending_.clear();
      taken_ = 0;
      DWORD flags = 0;
      LONGLONG time = 0;
      Released<IMFSample> sample;
      const HRESULT hr = reader_->ReadSample(DWORD(MF_SOURCE_READER_FIRST_AUDIO_STREAM), 0, nullptr, &flags,
                                             &time, &sample.p);
      if (FAILED(hr) || (flags & MF_SOURCE_READERF_ERROR)) {
        damage_ = "Media Foundation cannot decode it";
        return false;
      }
      if (flags & MF_SOURCE_READERF_ENDOFSTREAM) ended_ = true;
      if (!sample.p) continue;
      Released<IMFMediaBuffer> buffer;
      BYTE* bytes = nullptr;
      DWORD length = 0;
      if (FAILED(sample.p->ConvertToContiguousBuffer(&buffer.p)) ||
          FAILED(buffer.p->Lock(&bytes, nullptr, &length))) {
        damage_ = "Media Foundation cannot decode it";
        return false;
      }
      pending_.resize(length / 4 * 2);
      std::memcpy(pending_.data(), bytes, pending_.size() * sizeof(int16_t));
      buffer.p->Unlock();
      const uint64_t start =
          (uint64_t(std::max<LONGLONG>(time, 0)) * uint64_t(head_.rate) + kTicksPerSecond / 2) /
          kTicksPerSecond;
      sampleEnd_ = start + pending_.size() / 2;
    }
    return true;
  }

  bool SetPosition(uint64_t frame) {
    damage_ = nullptr;
    pending_.clear();
    taken_ = 0;
    ended_ = false;
    PROPVARIANT at;
    PropVariantInit(&at);
    at.vt = VT_I8;
    at.hVal.QuadPart = LONGLONG(frame * kTicksPerSecond / uint64_t(head_.rate));
    const HRESULT hr = reader_->SetCurrentPosition(GUID_NULL, at);
    PropVariantClear(&at);
    return SUCCEEDED(hr);
  }

  MediaFoundation mf_;
  IMFSourceReader* reader_ = nullptr;
  RecordingHead head_;
  std::vector<int16_t> pending_;  // the sample last read, interleaved stereo
  size_t taken_ = 0;              // frames of it already given
  uint64_t sampleEnd_ = 0;  // the frame after the sample last read, by its time
  bool ended_ = false;
  const char* damage_ = nullptr;
};

}  // namespace

std::unique_ptr<RecordingFile> RecordingFile::Open(const std::string& path, std::string& problem) {
  auto file = std::make_unique<MediaFoundationRecording>();
  if (!file->Open(path, problem)) return nullptr;
  return file;
}

}  // namespace tv
