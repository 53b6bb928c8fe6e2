// Writes hit.wav, the sound of a ball striking a launcher: a falling low
// thump under a short burst of dull noise, mono 16-bit PCM.
// Usage: make_hit <output file>
#include <fcntl.h>
#include <sndfile.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

#include "platform/files/atomic_file.h"

namespace {

constexpr int kRate = 44100;
constexpr double kSeconds = 0.6;
constexpr double kPi = 3.14159265358979323846;

// A fixed noise sequence, so the build always writes the same file.
class Noise {
 public:
  double Next() {
    state_ ^= state_ << 13;
    state_ ^= state_ >> 7;
    state_ ^= state_ << 17;
    return double(state_ >> 11) / double(uint64_t(1) << 53) * 2.0 - 1.0;
  }

 private:
  uint64_t state_ = 0x9E3779B97F4A7C15ull;
};

std::vector<float> Synthesise() {
  const int frames = int(kRate * kSeconds);
  std::vector<double> out(size_t(frames), 0.0);
  Noise noise;
  double phase = 0, burst = 0, rumble = 0;
  for (int i = 0; i < frames; ++i) {
    const double t = double(i) / kRate;
    const double attack = std::min(1.0, t / 0.002);

    // The body: a sine whose pitch drops from about 140 Hz to 45 Hz.
    const double freq = 45.0 + 95.0 * std::exp(-t / 0.06);
    phase += 2 * kPi * freq / kRate;
    const double thump = std::sin(phase) * std::exp(-t / 0.16) * attack;

    // The crack: white noise through a low-pass that closes as it fades.
    const double n = noise.Next();
    const double open = 0.08 + 0.5 * std::exp(-t / 0.03);
    burst += open * (n - burst);
    const double crack = burst * std::exp(-t / 0.045) * attack;

    // Debris: a darker, longer rustle.
    rumble += 0.02 * (n - rumble);
    const double debris = rumble * std::exp(-t / 0.22);

    const double click = t < 0.003 ? n * (1.0 - t / 0.003) : 0.0;
    out[size_t(i)] = 0.9 * thump + 0.9 * crack + 2.5 * debris + 0.3 * click;
  }

  // Round the peaks off, bring the peak to -1 dBFS and fade the last 30 ms.
  double peak = 0;
  for (double& s : out) {
    s = std::tanh(1.4 * s);
    peak = std::max(peak, std::abs(s));
  }
  const double gain = peak > 0 ? std::pow(10.0, -1.0 / 20.0) / peak : 0.0;
  const int fade = kRate * 30 / 1000;
  std::vector<float> pcm(out.size());
  for (int i = 0; i < frames; ++i) {
    double g = gain;
    if (i >= frames - fade) g *= double(frames - 1 - i) / fade;
    pcm[size_t(i)] = float(out[size_t(i)] * g);
  }
  return pcm;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s <output file>\n", argv[0]);
    return 2;
  }
  const std::vector<float> pcm = Synthesise();
  SF_INFO info{};
  info.samplerate = kRate;
  info.channels = 1;
  info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
  // Opened here, close-on-exec; libsndfile's own open is not. It closes fd when it fails.
  tv::AtomicFile out(argv[1]);
  const int fd = ::open(out.WritePath().c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  SNDFILE* file = fd < 0 ? nullptr : sf_open_fd(fd, SFM_WRITE, &info, SF_TRUE);
  if (!file) {
    std::fprintf(stderr, "make_hit: cannot write %s: %s\n", argv[1],
                 fd < 0 ? std::strerror(errno) : sf_strerror(nullptr));
    return 1;
  }
  const sf_count_t written = sf_writef_float(file, pcm.data(), sf_count_t(pcm.size()));
  const int closed = sf_close(file);
  if (written != sf_count_t(pcm.size()) || closed != 0 || out.Commit() != 0) {
    std::fprintf(stderr, "make_hit: cannot write %s\n", argv[1]);
    return 1;
  }
  return 0;
}
