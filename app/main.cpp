// tarvolen: a two-sided artillery game over the Earth seen from orbit.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <functional>
#include <future>
#include <memory>
#include <optional>

#include <malloc.h>
#include <pthread.h>

#include "app/command_line.h"
#include "app/form1.h"
#include "app/settings_file.h"
#include "assets/pictures.h"
#include "platform/toolkit/application.h"
#include "platform/headless/headless_backend.h"
#include "platform/files/png.h"
#include "platform/toolkit/journal.h"
#include "platform/sdl/sdl_backend.h"
#include "platform/sdl/sdl_bmp.h"
#include "platform/sdl/sdl_fontmatch.h"
#include "platform/sdl/sdl_media.h"
#include "platform/sdl/sdl_process.h"
#include "platform/sdl/sdl_text.h"
#include "platform/sdl/sdl_thread.h"
#include "platform/files/system.h"

// The program file's version record, readable with `strings`.
[[gnu::used]] static const char kVersionRecord[] = "FileDescription=Tarvolen;FileVersion=" TARVOLEN_VERSION
                                                   ";ProductVersion=" TARVOLEN_VERSION
                                                   ";CompanyName=Tarvolen Games";

namespace {

// Says on stderr that `what` could not be written, and why.
void CannotWrite(const std::string& what, int err) {
  std::fprintf(stderr, "tarvolen: cannot write %s: %s\n", what.c_str(), std::strerror(err ? err : EIO));
}

// Flushes standard output; false, said on stderr, when what was printed did not all get there.
bool FlushedStdout() {
  errno = 0;
  if (std::fflush(stdout) == 0 && !std::ferror(stdout)) return true;
  CannotWrite("standard output", errno);
  return false;
}

// The game on `b` from start-up until its window closes; the last frame goes
// to `png` when named. False when that frame could not be written (said on stderr).
bool RunGame(tv::Backend& b, tv::SdlSound& sound, const std::string& png, tv::GameState& state) {
  b.CreateMainWindow(tv::TForm1::kClientWidth, tv::TForm1::kClientHeight, " ", tv::ProgramIcon());
  // The media control layer: the first of the sound to go, with the game.
  std::unique_ptr<tv::MediaControl> media =
      tv::MakeSdlMediaControl(sound, [&b](const tv::Event& ev) { b.PostEvent(ev); });
  tv::TApplication app(b);
  tv::TForm1 form(app, state, *media, tv::ProgramDirectory());
  tv::StartUp(app, form);
  // Start-up's passing allocations (font matching, picture decoding) are
  // freed by now; give their pages back rather than keep them resident.
  tv::ReleaseFontMatching();
  malloc_trim(0);
  app.Run();
  if (png.empty()) return true;
  form.Surface().Update();
  if (int err = tv::SavePng(form.Surface().Framebuffer(), png)) {
    CannotWrite(png, err);
    return false;
  }
  return true;
}

// False when the state did not reach standard output (said on stderr).
bool PrintState(const tv::GameState& g) {
  std::printf("Phase=%s\nTurn=%s\nMenuIndex=%d\nLevel=%lld\nGameTitle=%s\nPower=%d\nAngle=%d\nGravity=%d\n"
              "FlightTime=%.17g\nDeltaX=%d\nDeltaY=%d\nLaunchLeft=%d\nLaunchTop=%d\nFreeMove=%d\nRandSeed=%u\n",
              g.Phase.c_str(), g.Turn.c_str(), int(g.MenuIndex), (long long)g.Level, g.GameTitle.c_str(), g.Power,
              g.Angle, g.Gravity, g.FlightTime, g.DeltaX, g.DeltaY, g.LaunchLeft, g.LaunchTop, int(g.FreeMove),
              unsigned(g.RandSeed));
  return FlushedStdout();
}

// The synthesiser with its sound font, and the font renderer's library with
// fontconfig's configuration, load on threads of their own beside the window's
// start-up (the menu waits for them only where it uses them). Where the window's start-up may fork (D-Bus
// autolaunches its helper when there is no session bus), they are made only
// once it is done: a child forked while another thread holds a lock can hang
// on it. However Play ends, the threads are joined, their failures said, and
// fontconfig's configuration is let go.
class StartUpThreads {
 public:
  explicit StartUpThreads(tv::SdlSound& sound)
      : music_(std::async(std::launch::async,
                          [&sound] {
                            Named("tarvolen-music");
                            tv::PrepareSdlMusic(sound);
                          })),
        fonts_(std::async(std::launch::async, [] {
          Named("tarvolen-fonts");
          tv::PrepareText();
          tv::PrepareFontMatching();
        })) {}
  StartUpThreads(const StartUpThreads&) = delete;
  StartUpThreads& operator=(const StartUpThreads&) = delete;
  // The audio device opens beside the window's start-up too, once SDL's
  // video has started (SDL starts its parts one at a time): the menu's music
  // asks for it before the first picture, and then only waits for the answer.
  // A thread of SDL's own: this one calls SDL.
  void OpenAudio(tv::SdlSound& sound) {
    audio_.emplace("tarvolen-audio", [&sound] { sound.device.Ready(); });
  }
  ~StartUpThreads() {
    if (audio_) Join([this] { audio_->Join(); }, "the audio device");
    Join(music_, "the music's synthesiser");
    Join(fonts_, "the fonts' configuration");
    tv::ReleaseFontMatching();
  }

 private:
  // The thread's name, as `top -H` and a profiler show it.
  static void Named(const char* name) { pthread_setname_np(pthread_self(), name); }
  static void Join(std::future<void>& f, const char* what) {
    Join([&f] { f.get(); }, what);
  }
  static void Join(const std::function<void()>& wait, const char* what) {
    try {
      wait();
    } catch (const std::exception& e) {
      std::fprintf(stderr, "tarvolen: cannot load %s: %s\n", what, e.what());
    }
  }
  std::future<void> music_;
  std::future<void> fonts_;
  std::optional<tv::SdlThread> audio_;
};

// The window as the player last chose it, where the command line does not
// say otherwise (TARVOLEN_SCALE included); what the command line chose is
// remembered once the window is there, and so is every switch made on it.
std::unique_ptr<tv::Backend> MakeWindow(tv::SdlSound& sound, const tv::CommandLine& cl,
                                        std::optional<tv::SettingsFile>& settings) {
  const tv::Settings last = settings ? settings->Remembered() : tv::Settings{};
  auto window = tv::MakeSdlBackend(
      sound.device, cl.scale ? cl.scale : last.scale.value_or(0),
      {cl.fullscreen || last.fullscreen.value_or(false), !last.sound.value_or(true)},
      [&settings](const tv::WindowChoices& now) {
        if (settings) settings->Remember({.scale = {}, .fullscreen = now.fullscreen, .sound = !now.muted});
      });
  tv::Settings chosen;
  if (cl.scaleChosen) chosen.scale = cl.scale;
  if (cl.fullscreen) chosen.fullscreen = true;
  if (settings) settings->Remember(chosen);
  return window;
}

int Play(const tv::CommandLine& cl) {
  // The environment is settled before any other thread can read it.
  if (cl.headless) {
    // Nothing to show or hear: sound goes to SDL's silent driver.
    setenv("SDL_AUDIODRIVER", "dummy", 1);
  } else {
    tv::PrepareSdlProcess();
  }
  // What the player chose in earlier runs. A replay must go the same on every
  // machine: it neither reads nor writes them.
  std::optional<tv::SettingsFile> settings;
  if (cl.replay.empty()) settings.emplace(tv::SettingsPath());
  // The sound: its media control layer goes with the game (RunGame), then the
  // synthesiser and last the audio device, as SdlSound's members; declared
  // first here so that it outlives the backend, which beeps on it.
  tv::SdlSound sound;
  // Joined after the machine has gone and before the sound goes.
  std::optional<StartUpThreads> threads;
  if (cl.headless || !tv::VideoStartMayFork()) threads.emplace(sound);
  // The machine underneath: a window, or for a headless replay nothing but the fonts.
  std::unique_ptr<tv::TextRenderer> text;
  std::unique_ptr<tv::Backend> machine;
  try {
    if (cl.headless) {
      text = tv::MakeSdlTextRenderer();
      // The level pictures are decoded as on the window (the SDL backend installs this itself).
      tv::InstallSdlBitmapDecoder();
      machine = std::make_unique<tv::HeadlessBackend>(*text);
    } else {
      machine = MakeWindow(sound, cl, settings);
    }
  } catch (const std::exception& e) {
    std::fprintf(stderr, "tarvolen: cannot open the game's window: %s\n", e.what());
    return 1;
  }
  if (!threads) threads.emplace(sound);
  if (!cl.headless) threads->OpenAudio(sound);

  tv::GameState state;
  try {
    if (!cl.replay.empty()) {
      tv::JournalReplayer replay(*machine, cl.replay, !cl.headless);
      bool ok = RunGame(replay, sound, cl.headless ? cl.png : "", state);
      if (cl.headless) ok = PrintState(state) && ok;
      if (!replay.Finished()) {
        std::fprintf(stderr, "tarvolen: the replay stopped early: %s\n", replay.Problem().c_str());
        ok = false;
      }
      return ok ? 0 : 1;
    }
    if (!cl.record.empty()) {
      // A journal write that fails does not stop the game; it is told once the window has closed.
      tv::JournalRecorder record(*machine, cl.record);
      RunGame(record, sound, "", state);
      const std::string error = record.Finish();
      if (error.empty()) return 0;
      std::fprintf(stderr, "tarvolen: %s\n", error.c_str());
      return 1;
    }
    RunGame(*machine, sound, "", state);
  } catch (const std::exception& e) {
    // A window that cannot be made, a journal that cannot be read: said in one line, not an abort.
    std::fprintf(stderr, "tarvolen: %s\n", e.what());
    return 1;
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const tv::CommandLine cl =
      tv::ParseCommandLine(std::vector<std::string>(argv + (argc > 0), argv + argc), std::getenv("TARVOLEN_SCALE"));
  switch (cl.action) {
    case tv::CommandLine::Action::Help:
      std::fputs(tv::HelpText().c_str(), stdout);
      return FlushedStdout() ? 0 : 1;
    case tv::CommandLine::Action::Version:
      std::fputs(tv::VersionText().c_str(), stdout);
      return FlushedStdout() ? 0 : 1;
    case tv::CommandLine::Action::Fail:
      std::fprintf(stderr, "tarvolen: %s\n%sTry 'tarvolen --help' for more information.\n", cl.error.c_str(),
                   tv::UsageLine().c_str());
      return 2;
    case tv::CommandLine::Action::Play:
      break;
  }
  return Play(cl);
}
