// Measures the flight timer in the real SDL window: the interval between
// Timer1 ticks during flights (median and 99th percentile against the nominal
// 10 ms) and the CPU the program uses meanwhile. Needs a display (Xvfb will do).
// Usage: measure_flight [seconds]
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "app/form1.h"
#include "assets/pictures.h"
#include "platform/sdl/sdl_backend.h"
#include "platform/fluidsynth/game_sound.h"
#include "platform/sdl/sdl_audio.h"
#include "platform/files/system.h"

namespace {

double CpuSeconds() {
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) + double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

// Forwards to the real backend but dismisses every message box at once, so
// computer matches follow one another without a player.
class AutoDismiss : public tv::Backend {
 public:
  explicit AutoDismiss(tv::Backend& b) : b_(b) {}
  uint64_t NowMs() override { return b_.NowMs(); }
  uint64_t PerformanceCounter() override { return b_.PerformanceCounter(); }
  void SleepMs(uint32_t ms) override { b_.SleepMs(ms); }
  bool PollEvent(tv::Event& ev) override { return b_.PollEvent(ev); }
  bool WaitEvent(tv::Event& ev, int64_t t, bool nested) override { return b_.WaitEvent(ev, t, nested); }
  void PostEvent(const tv::Event& ev) override { b_.PostEvent(ev); }
  void CreateMainWindow(int w, int h, const std::string& t, const tv::ArgbImage& i) override {
    b_.CreateMainWindow(w, h, t, i);
  }
  void ShowMainWindow() override { b_.ShowMainWindow(); }
  void SetTitle(const std::string& t) override { b_.SetTitle(t); }
  int FrameWidth() override { return b_.FrameWidth(); }
  void Present(const tv::Bitmap& fb, const std::vector<tv::Rect>& r) override { b_.Present(fb, r); }
  int OpenMessageBox(const std::string& text, const std::string& caption, bool stop) override {
    const int id = b_.OpenMessageBox(text, caption, stop);
    tv::Event ev;
    ev.type = tv::Event::Type::DialogDismissed;
    ev.id = id;
    b_.PostEvent(ev);
    return id;
  }
  void CloseMessageBox(int id) override { b_.CloseMessageBox(id); }
  void Beep() override { b_.Beep(); }
  tv::TextRenderer& Text() override { return b_.Text(); }

 private:
  tv::Backend& b_;
};

}  // namespace

int main(int argc, char** argv) {
  const int seconds = argc > 1 ? std::atoi(argv[1]) : 20;
  tv::GameSound sound{std::make_unique<tv::SdlAudioOutput>()};  // outlives the backend, which beeps on it, and the media layer
  auto sdl = tv::MakeSdlBackend(sound.device);
  auto backend = std::make_unique<AutoDismiss>(*sdl);
  auto media = tv::MakeGameMediaControl(sound, [&](const tv::Event& ev) { sdl->PostEvent(ev); });
  tv::TApplication app(*backend);
  tv::GameState state;
  backend->CreateMainWindow(tv::TForm1::kClientWidth, tv::TForm1::kClientHeight, " ", tv::ProgramIcon());
  tv::TForm1 form(app, state, *media, tv::ProgramDirectory());
  backend->SetTitle("Tarvolen");
  tv::StartUp(app, form);
  using Clock = std::chrono::steady_clock;
  std::vector<double> intervals;
  Clock::time_point last;
  bool inFlight = false;
  form.Timer1.OnTimer = [&] {
    const auto now = Clock::now();
    if (inFlight) intervals.push_back(std::chrono::duration<double, std::milli>(now - last).count());
    last = now;
    inFlight = true;
    form.Timer1Timer();
    if (!form.Timer1.Enabled()) inFlight = false;
  };
  // Computer against computer, a new match whenever one ends.
  tv::TTimer restart(app, "restart", 100);
  restart.OnTimer = [&] {
    if (state.Phase == tv::kMenu) form.Panel3Click();
  };
  restart.SetEnabled(true);
  const double cpu0 = CpuSeconds();
  const auto t0 = Clock::now();
  app.RunFor(uint64_t(seconds) * 1000);
  const double wall = std::chrono::duration<double>(Clock::now() - t0).count();
  const double cpu = CpuSeconds() - cpu0;
  std::sort(intervals.begin(), intervals.end());
  if (intervals.empty()) {
    std::printf("no flight ticks measured\n");
    return 1;
  }
  const auto pct = [&](double p) { return intervals[size_t(p * double(intervals.size() - 1))]; };
  std::printf("Timer1 intervals during flights: n=%zu median=%.2f ms p99=%.2f ms max=%.2f ms (nominal 10 ms)\n",
              intervals.size(), pct(0.5), pct(0.99), intervals.back());
  std::printf("CPU: %.2f s over %.1f s of wall time = %.1f%% of one core\n", cpu, wall, 100.0 * cpu / wall);
  return 0;
}
