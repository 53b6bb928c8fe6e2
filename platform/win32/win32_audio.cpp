#include "platform/win32/win32_audio.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cstdio>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/files/windows_api.h"

#include <mmreg.h>

namespace tv {
namespace {

// Four buffers of 20 ms: a sound starts 60 to 80 ms after it is asked for,
// about what SDL's two buffers of 1024 frames give on Linux, and the thread
// has three buffers' time to refill one. With 10 ms buffers the start-up's
// work (fonts, pictures, the first recording's check) let the device run dry
// under Wine: a gap of silence in the menu's music.
constexpr int kBuffers = 4;
constexpr int kBuffersPerSecond = 50;

// KSDATAFORMAT_SUBTYPE_IEEE_FLOAT, spelt out so that no GUID library is linked.
constexpr GUID kFloatSubtype = {0x00000003, 0x0000, 0x0010, {0x80, 0x00, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71}};

// A machine without a sound device is told so once, not at every sound.
void SayPlaysSilent(MMRESULT why) {
  static std::once_flag told;
  std::call_once(told, [why] {
    wchar_t text[MAXERRORLENGTH] = L"";
    ::waveOutGetErrorTextW(why, text, MAXERRORLENGTH);
    std::fprintf(stderr, "tarvolen: no sound device (%s); the game plays silent\n", Utf8(text).c_str());
  });
}

class WaveOutOutput final : public AudioOutput {
 public:
  WaveOutOutput() = default;
  WaveOutOutput(const WaveOutOutput&) = delete;
  WaveOutOutput& operator=(const WaveOutOutput&) = delete;

  ~WaveOutOutput() override {
    Stop();
    if (event_) ::CloseHandle(event_);
  }

  bool Start(const AudioFormat& format, AudioMix mix) override {
    std::lock_guard<std::mutex> lock(mutex_);
    // A device the mix has let go but whose thread is still playing it out goes now: one at a time.
    StopLocked();
    if (!event_) event_ = ::CreateEventW(nullptr, FALSE, FALSE, nullptr);
    if (!event_) return false;
    const MMRESULT opened = Open(format);
    if (opened != MMSYSERR_NOERROR) {
      SayPlaysSilent(opened);
      return false;
    }
    channels_ = format.channels;
    frames_ = std::max(1, format.rate / kBuffersPerSecond);
    samples_.assign(size_t(kBuffers) * size_t(frames_) * size_t(channels_), 0.0f);
    for (int i = 0; i < kBuffers; ++i) {
      WAVEHDR& h = headers_[size_t(i)];
      h = WAVEHDR{};
      h.lpData = reinterpret_cast<LPSTR>(samples_.data() + size_t(i) * size_t(frames_) * size_t(channels_));
      h.dwBufferLength = DWORD(size_t(frames_) * size_t(channels_) * sizeof(float));
      ::waveOutPrepareHeader(device_, &h, sizeof h);
    }
    mix_ = std::move(mix);
    stop_ = false;
    lost_ = false;
    thread_ = std::thread([this] { Play(); });
    return true;
  }

  void Stop() override {
    std::lock_guard<std::mutex> lock(mutex_);
    StopLocked();
  }

 private:
  // Plain float first; a driver that takes float only as an extensible
  // format gets it so. Nothing is converted by the game: the frames go out as mixed.
  MMRESULT Open(const AudioFormat& format) {
    WAVEFORMATEX plain{};
    plain.wFormatTag = WAVE_FORMAT_IEEE_FLOAT;
    plain.nChannels = WORD(format.channels);
    plain.nSamplesPerSec = DWORD(format.rate);
    plain.wBitsPerSample = 32;
    plain.nBlockAlign = WORD(format.channels * 4);
    plain.nAvgBytesPerSec = plain.nSamplesPerSec * plain.nBlockAlign;
    const DWORD_PTR event = reinterpret_cast<DWORD_PTR>(event_);
    MMRESULT result = ::waveOutOpen(&device_, WAVE_MAPPER, &plain, event, 0, CALLBACK_EVENT);
    if (result != WAVERR_BADFORMAT) return result;
    WAVEFORMATEXTENSIBLE extensible{};
    extensible.Format = plain;
    extensible.Format.wFormatTag = WAVE_FORMAT_EXTENSIBLE;
    extensible.Format.cbSize = sizeof extensible - sizeof extensible.Format;
    extensible.Samples.wValidBitsPerSample = 32;
    extensible.dwChannelMask = format.channels == 2 ? SPEAKER_FRONT_LEFT | SPEAKER_FRONT_RIGHT : 0;
    extensible.SubFormat = kFloatSubtype;
    return ::waveOutOpen(&device_, WAVE_MAPPER, &extensible.Format, event, 0, CALLBACK_EVENT);
  }

  void StopLocked() {
    if (!thread_.joinable()) return;
    stop_ = true;
    ::SetEvent(event_);
    thread_.join();
    mix_ = nullptr;
  }

  // Fills buffer `i` from the mix and queues it; false once the mix has let the device go.
  bool Refill(int i) {
    WAVEHDR& h = headers_[size_t(i)];
    float* out = reinterpret_cast<float*>(h.lpData);
    std::fill(out, out + size_t(frames_) * size_t(channels_), 0.0f);
    const bool more = mix_(out, frames_);
    if (::waveOutWrite(device_, &h, sizeof h) != MMSYSERR_NOERROR) lost_ = true;
    return more;
  }

  // The device went away as it played (a headset pulled out): the mix is still
  // pulled at the device's pace, unheard, until it lets the output go, so the
  // next sound starts it again on whatever device is there then.
  void PullUnheard(bool more) {
    static std::once_flag told;
    std::call_once(told, [] { std::fprintf(stderr, "tarvolen: the sound device went away\n"); });
    std::vector<float> scratch(size_t(frames_) * size_t(channels_));
    while (more && !stop_) {
      ::WaitForSingleObject(event_, 1000 / kBuffersPerSecond);
      std::fill(scratch.begin(), scratch.end(), 0.0f);
      more = mix_(scratch.data(), frames_);
    }
  }

  // The audio thread: wakes when the device hands a buffer back (or Stop
  // asks), refills the buffers in the order they play, and after the mix's
  // last buffer waits for it to be heard before the device is closed.
  void Play() {
    ::SetThreadPriority(::GetCurrentThread(), THREAD_PRIORITY_HIGHEST);
    bool more = true;
    int queued = 0;
    int next = 0;  // the buffer to be handed back first
    // The device starts with every buffer queued, not with the first alone:
    // started on one, it ran dry before the next came and lost the sound's start.
    ::waveOutPause(device_);
    for (; queued < kBuffers && more && !lost_; ++queued) more = Refill(queued);
    ::waveOutRestart(device_);
    while (!stop_ && queued > 0 && !lost_) {
      ::WaitForSingleObject(event_, INFINITE);
      while (!stop_ && queued > 0 && !lost_ && (headers_[size_t(next)].dwFlags & WHDR_DONE)) {
        --queued;
        if (more) {
          more = Refill(next);
          ++queued;
        }
        next = (next + 1) % kBuffers;
      }
    }
    if (lost_) PullUnheard(more);
    ::waveOutReset(device_);  // hands back whatever is still queued at once
    for (WAVEHDR& h : headers_) ::waveOutUnprepareHeader(device_, &h, sizeof h);
    ::waveOutClose(device_);
    device_ = nullptr;
  }

  std::mutex mutex_;  // Start and Stop: the device's and the thread's lifetime
  HANDLE event_ = nullptr;
  HWAVEOUT device_ = nullptr;
  std::thread thread_;
  std::atomic<bool> stop_{false};
  bool lost_ = false;  // a buffer was refused: the device is gone (the thread's alone)
  AudioMix mix_;
  int channels_ = 2;
  int frames_ = 0;
  std::vector<float> samples_;
  std::array<WAVEHDR, kBuffers> headers_{};
};

}  // namespace

std::unique_ptr<AudioOutput> MakeWaveOutOutput() { return std::make_unique<WaveOutOutput>(); }

}  // namespace tv
