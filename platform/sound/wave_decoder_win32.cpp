// Wave files through Windows' own readers: mmio finds the RIFF chunks in
// memory; PCM and float samples are read as they are, every other encoding
// (ADPCM, mu-law, A-law, GSM 6.10, ...) goes through the ACM codec the system
// has for it, to 16-bit PCM. Samples are scaled exactly as libsndfile scales
// them on Linux, so the hit effect sounds the same on both.
#include "platform/files/windows_api.h"

#include <mmreg.h>
#include <msacm.h>

#include <algorithm>
#include <cstring>

#include "platform/sound/wave_decoder.h"

namespace tv {
namespace {

// The fmt chunk's fields (WAVEFORMATEX, then WAVEFORMATEXTENSIBLE's).
constexpr size_t kFormatHead = 16;
constexpr size_t kExtensibleSize = 40;
constexpr size_t kMaxFormatBytes = 1024;
// The tail every WAVEFORMATEXTENSIBLE sub-format GUID of a plain tag shares.
constexpr uint8_t kSubFormatTail[12] = {0x00, 0x00, 0x10, 0x00, 0x80, 0x00,
                                        0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};

uint32_t Le(const uint8_t* p, int bytes) {
  uint32_t v = 0;
  for (int i = bytes - 1; i >= 0; --i) v = v << 8 | p[i];
  return v;
}

struct MmioCloser {
  HMMIO h;
  ~MmioCloser() { ::mmioClose(h, 0); }
};

struct Chunks {
  std::vector<uint8_t> format;  // the fmt chunk, whole
  size_t dataAt = 0, dataSize = 0;
};

// The fmt and data chunks of a RIFF WAVE file in memory, in either order.
bool FindChunks(const std::vector<uint8_t>& bytes, Chunks& chunks) {
  if (bytes.size() > size_t(LONG_MAX)) return false;
  MMIOINFO info{};
  info.fccIOProc = FOURCC_MEM;
  // Opened for reading only: mmio never writes into the buffer.
  info.pchBuffer = reinterpret_cast<HPSTR>(const_cast<uint8_t*>(bytes.data()));
  info.cchBuffer = LONG(bytes.size());
  const HMMIO h = ::mmioOpenW(nullptr, &info, MMIO_READ);
  if (!h) return false;
  MmioCloser closer{h};
  MMCKINFO riff{};
  riff.fccType = mmioFOURCC('W', 'A', 'V', 'E');
  if (::mmioDescend(h, &riff, nullptr, MMIO_FINDRIFF) != MMSYSERR_NOERROR) return false;
  MMCKINFO fmt{};
  fmt.ckid = mmioFOURCC('f', 'm', 't', ' ');
  if (::mmioDescend(h, &fmt, &riff, MMIO_FINDCHUNK) != MMSYSERR_NOERROR || fmt.cksize < kFormatHead ||
      fmt.cksize > kMaxFormatBytes)
    return false;
  chunks.format.resize(fmt.cksize);
  if (::mmioRead(h, reinterpret_cast<HPSTR>(chunks.format.data()), LONG(fmt.cksize)) != LONG(fmt.cksize))
    return false;
  if (::mmioSeek(h, LONG(riff.dwDataOffset + 4), SEEK_SET) < 0) return false;
  MMCKINFO data{};
  data.ckid = mmioFOURCC('d', 'a', 't', 'a');
  if (::mmioDescend(h, &data, &riff, MMIO_FINDCHUNK) != MMSYSERR_NOERROR || data.dwDataOffset > bytes.size())
    return false;
  chunks.dataAt = data.dwDataOffset;
  // A data chunk longer than the file is read to the file's end, as libsndfile does.
  chunks.dataSize = std::min<size_t>(data.cksize, bytes.size() - data.dwDataOffset);
  return true;
}

// PCM and float samples, scaled as libsndfile scales them: the integer over
// 2^(bits-1), 8-bit samples unsigned around 128.
class PlainWave final : public WaveDecoder {
 public:
  PlainWave(const uint8_t* data, size_t size, int channels, int rate, int bytesPerSample, bool isFloat)
      : data_(data), bytes_(bytesPerSample), float_(isFloat) {
    stride_ = size_t(bytes_) * size_t(channels);
    format_ = {channels, rate, int64_t(size / stride_)};
  }
  const WaveFormat& Format() const override { return format_; }
  int64_t Read(float* out, int64_t frames) override {
    const int64_t n = std::min(frames, format_.frames - at_);
    const size_t samples = size_t(n) * size_t(format_.channels);
    const uint8_t* p = data_ + size_t(at_) * stride_;
    for (size_t i = 0; i < samples; ++i, p += bytes_) out[i] = Sample(p);
    at_ += n;
    return n;
  }

 private:
  float Sample(const uint8_t* p) const {
    if (float_ && bytes_ == 4) {
      float v;
      std::memcpy(&v, p, 4);
      return v;
    }
    if (float_) {
      double v;
      std::memcpy(&v, p, 8);
      return float(v);
    }
    switch (bytes_) {
      case 1: return float(int(p[0]) - 128) * (1.0f / 0x80);
      case 2: return float(int16_t(Le(p, 2))) * (1.0f / 0x8000);
      case 3: return float(int32_t(Le(p, 3) << 8)) * (1.0f / float(0x80000000u));
      default: return float(int32_t(Le(p, 4))) * (1.0f / float(0x80000000u));
    }
  }

  const uint8_t* data_;
  int bytes_;
  bool float_;
  size_t stride_ = 0;
  int64_t at_ = 0;
  WaveFormat format_;
};

// Any other encoding, through the system's ACM codec for it to 16-bit PCM, in
// one conversion of the whole data chunk.
class AcmWave final : public WaveDecoder {
 public:
  ~AcmWave() override {
    if (stream_) ::acmStreamClose(stream_, 0);
  }

  bool Open(std::vector<uint8_t> format, const uint8_t* data, size_t size) {
    source_ = std::move(format);
    auto* from = reinterpret_cast<WAVEFORMATEX*>(source_.data());
    if (from->nBlockAlign == 0 || from->nChannels == 0) return false;
    // A codec may read cbSize bytes past the head: never more than the chunk has.
    if (source_.size() < sizeof(WAVEFORMATEX)) source_.resize(sizeof(WAVEFORMATEX), 0);
    from = reinterpret_cast<WAVEFORMATEX*>(source_.data());
    from->cbSize = WORD(std::min<size_t>(from->cbSize, source_.size() - sizeof(WAVEFORMATEX)));
    to_.wFormatTag = WAVE_FORMAT_PCM;
    to_.nChannels = from->nChannels;
    to_.nSamplesPerSec = from->nSamplesPerSec;
    to_.wBitsPerSample = 16;
    to_.nBlockAlign = WORD(2 * to_.nChannels);
    to_.nAvgBytesPerSec = to_.nSamplesPerSec * to_.nBlockAlign;
    if (::acmStreamOpen(&stream_, nullptr, from, &to_, nullptr, 0, 0, ACM_STREAMOPENF_NONREALTIME) !=
        MMSYSERR_NOERROR) {
      stream_ = nullptr;
      return false;
    }
    data_ = data;
    // Whole blocks only: a codec takes no part of one.
    size_ = size / from->nBlockAlign * from->nBlockAlign;
    DWORD most = 0;
    if (size_ > 0 && (size_ > MAXDWORD || ::acmStreamSize(stream_, DWORD(size_), &most,
                                                          ACM_STREAMSIZEF_SOURCE) != MMSYSERR_NOERROR))
      return false;
    format_ = {to_.nChannels, int(to_.nSamplesPerSec), int64_t(most / to_.nBlockAlign)};
    return true;
  }

  const WaveFormat& Format() const override { return format_; }

  int64_t Read(float* out, int64_t frames) override {
    if (done_ || size_ == 0) return 0;
    done_ = true;
    std::vector<int16_t> pcm(size_t(format_.frames) * to_.nChannels + to_.nChannels);
    ACMSTREAMHEADER header{};
    header.cbStruct = sizeof header;
    header.pbSrc = const_cast<BYTE*>(data_);
    header.cbSrcLength = DWORD(size_);
    header.pbDst = reinterpret_cast<BYTE*>(pcm.data());
    header.cbDstLength = DWORD(pcm.size() * sizeof(int16_t));
    if (::acmStreamPrepareHeader(stream_, &header, 0) != MMSYSERR_NOERROR) return -1;
    const MMRESULT converted = ::acmStreamConvert(
        stream_, &header, ACM_STREAMCONVERTF_BLOCKALIGN | ACM_STREAMCONVERTF_START | ACM_STREAMCONVERTF_END);
    ::acmStreamUnprepareHeader(stream_, &header, 0);
    if (converted != MMSYSERR_NOERROR) return -1;
    const int64_t n = std::min<int64_t>(frames, header.cbDstLengthUsed / to_.nBlockAlign);
    for (size_t i = 0; i < size_t(n) * to_.nChannels; ++i) out[i] = float(pcm[i]) * (1.0f / 0x8000);
    return n;
  }

 private:
  std::vector<uint8_t> source_;
  WAVEFORMATEX to_{};
  HACMSTREAM stream_ = nullptr;
  const uint8_t* data_ = nullptr;
  size_t size_ = 0;
  bool done_ = false;
  WaveFormat format_;
};

}  // namespace

std::unique_ptr<WaveDecoder> OpenWaveDecoder(const std::vector<uint8_t>& bytes) {
  Chunks chunks;
  if (!FindChunks(bytes, chunks)) return nullptr;
  const uint8_t* f = chunks.format.data();
  uint32_t tag = Le(f, 2);
  const int channels = int(Le(f + 2, 2)), rate = int(Le(f + 4, 4)), bits = int(Le(f + 14, 2));
  if (tag == WAVE_FORMAT_EXTENSIBLE) {
    if (chunks.format.size() < kExtensibleSize ||
        std::memcmp(f + 28, kSubFormatTail, sizeof kSubFormatTail) != 0)
      return nullptr;
    tag = Le(f + 24, 4);
  }
  const uint8_t* data = bytes.data() + chunks.dataAt;
  const bool isFloat = tag == WAVE_FORMAT_IEEE_FLOAT && (bits == 32 || bits == 64);
  const bool isPcm = tag == WAVE_FORMAT_PCM && (bits == 8 || bits == 16 || bits == 24 || bits == 32);
  if (isFloat || isPcm) {
    if (channels <= 0) return nullptr;
    return std::make_unique<PlainWave>(data, chunks.dataSize, channels, rate, bits / 8, isFloat);
  }
  if (tag == WAVE_FORMAT_PCM || tag == WAVE_FORMAT_IEEE_FLOAT) return nullptr;
  auto wave = std::make_unique<AcmWave>();
  if (!wave->Open(std::move(chunks.format), data, chunks.dataSize)) return nullptr;
  return wave;
}

}  // namespace tv
