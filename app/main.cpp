// tarvolen: a two-sided artillery game over the Earth seen from orbit.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <memory>
#include <optional>

#include "app/command_line.h"
#include "app/form1.h"
#include "app/settings_file.h"
#include "assets/pictures.h"
#include "platform/files/png.h"
#include "platform/files/system.h"
#if defined(_WIN32)
#include "platform/win32/win32_console.h"
#include "platform/win32/win32_machine.h"
#elif defined(__EMSCRIPTEN__)
#include "platform/web/web_machine.h"
#else
#include "platform/sdl/sdl_machine.h"
#endif
#include "platform/toolkit/application.h"
#include "platform/toolkit/journal.h"

// The program file's version record, readable with `strings`.
[[gnu::used]] static const char kVersionRecord[] = "FileDescription=Tarvolen;FileVersion=" TARVOLEN_VERSION
                                                   ";ProductVersion=" TARVOLEN_VERSION
                                                   ";CompanyName=Tarvolen Games";

namespace {

// The machine the game runs on: Windows' own, the browser's page, or SDL's on Linux.
#if defined(_WIN32)
using Machine = tv::Win32Machine;
#elif defined(__EMSCRIPTEN__)
using Machine = tv::WebMachine;
#else
using Machine = tv::SdlMachine;
#endif

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

// False when the state did not reach standard output (said on stderr).
bool PrintState(const tv::GameState& g) {
  std::printf("Phase=%s\nTurn=%s\nMenuIndex=%d\nLevel=%lld\nGameTitle=%s\nPower=%d\nAngle=%d\nGravity=%d\n"
              "FlightTime=%.17g\nDeltaX=%d\nDeltaY=%d\nLaunchLeft=%d\nLaunchTop=%d\nFreeMove=%d\nRandSeed=%u\n",
              g.Phase.c_str(), g.Turn.c_str(), int(g.MenuIndex), (long long)g.Level, g.GameTitle.c_str(), g.Power,
              g.Angle, g.Gravity, g.FlightTime, g.DeltaX, g.DeltaY, g.LaunchLeft, g.LaunchTop, int(g.FreeMove),
              unsigned(g.RandSeed));
  return FlushedStdout();
}

// The game on `machine` (or a journal's view of it, `b`) from start-up until
// its window closes; the last frame goes to `png` when named. False when that
// frame could not be written (said on stderr).
bool RunGame(Machine& machine, tv::Backend& b, tv::GameState& state, const std::string& png = "") {
  b.CreateMainWindow(tv::TForm1::kClientWidth, tv::TForm1::kClientHeight, " ", tv::ProgramIcon());
  // The media control layer: the first of the sound to go, with the game.
  std::unique_ptr<tv::MediaControl> media = machine.MakeMediaControl([&b](const tv::Event& ev) { b.PostEvent(ev); });
  tv::TApplication app(b);
  tv::TForm1 form(app, state, *media, tv::ProgramDirectory());
  tv::StartUp(app, form);
  machine.StartedUp();
  app.Run();
  if (png.empty()) return true;
  form.Surface().Update();
  if (int err = tv::SavePng(form.Surface().Framebuffer(), png)) {
    CannotWrite(png, err);
    return false;
  }
  return true;
}

// Hears the window's switches from `was` on. Only the switch the player made
// is remembered: the file's other setting may be another copy's choice since.
tv::WindowChoicesListener RememberSwitches(std::optional<tv::SettingsFile>& settings, tv::WindowChoices was) {
  return [&settings, was](const tv::WindowChoices& now) mutable {
    auto switched = [](bool from, bool to) { return from != to ? std::optional(to) : std::nullopt; };
    if (settings)
      settings->Remember({.scale = {}, .fullscreen = switched(was.fullscreen, now.fullscreen),
                          .sound = switched(!was.muted, !now.muted)});
    was = now;
  };
}

// The machine as the player last chose it, where the command line does not
// say otherwise (TARVOLEN_SCALE included): every switch made on the window is
// remembered, and so is what the command line chose.
std::unique_ptr<Machine> MakeMachine(const tv::CommandLine& cl, std::optional<tv::SettingsFile>& settings) {
  const tv::Settings last = settings ? settings->Remembered() : tv::Settings{};
  const tv::WindowChoices start = {.fullscreen = cl.fullscreen || last.fullscreen.value_or(false),
                                   .muted = !last.sound.value_or(true)};
  auto machine = std::make_unique<Machine>(Machine::Options{
      .headless = cl.headless,
      .window = {.scale = cl.scale ? cl.scale : last.scale.value_or(0),
                 .start = start,
                 .changed = RememberSwitches(settings, start)}});
  if (settings) settings->Remember({.scale = cl.scaleChosen ? std::optional(cl.scale) : std::nullopt,
                                    .fullscreen = cl.fullscreen ? std::optional(true) : std::nullopt,
                                    .sound = {}});
  return machine;
}

// A journal played back: on the window, or headless with the final state
// printed and the last frame written.
int Replay(Machine& machine, const tv::CommandLine& cl) {
  tv::GameState state;
  tv::JournalReplayer replay(machine.Window(), cl.replay, !cl.headless);
  bool ok = RunGame(machine, replay, state, cl.headless ? cl.png : "");
  if (cl.headless) ok = PrintState(state) && ok;
  if (!replay.Finished()) {
    std::fprintf(stderr, "tarvolen: the replay stopped early: %s\n", replay.Problem().c_str());
    ok = false;
  }
  return ok ? 0 : 1;
}

// A session played and written to a journal. A write that fails does not
// stop the game; it is told once the window has closed.
int Record(Machine& machine, const std::string& file) {
  tv::GameState state;
  tv::JournalRecorder record(machine.Window(), file);
  RunGame(machine, record, state);
  const std::string error = record.Finish();
  if (error.empty()) return 0;
  std::fprintf(stderr, "tarvolen: %s\n", error.c_str());
  return 1;
}

int Play(const tv::CommandLine& cl) {
  // What the player chose in earlier runs. A replay must go the same on every
  // machine: it neither reads nor writes them.
  std::optional<tv::SettingsFile> settings;
  if (cl.replay.empty()) settings.emplace(tv::SettingsPath());
  std::unique_ptr<Machine> machine;
  try {
    machine = MakeMachine(cl, settings);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "tarvolen: cannot open the game's window: %s\n", e.what());
    return 1;
  }
  try {
    if (!cl.replay.empty()) return Replay(*machine, cl);
    if (!cl.record.empty()) return Record(*machine, cl.record);
    tv::GameState state;
    RunGame(*machine, machine->Window(), state);
    return 0;
  } catch (const std::exception& e) {
    // A journal that cannot be read, a window that goes: said in one line, not an abort.
    std::fprintf(stderr, "tarvolen: %s\n", e.what());
    return 1;
  }
}

}  // namespace

int main(int argc, char** argv) {
#if defined(_WIN32)
  tv::AttachParentConsole();
#endif
  const std::vector<std::string> args = tv::ProgramArguments(argc, argv);
  const std::optional<std::string> scale = tv::EnvironmentVariable("TARVOLEN_SCALE");
  const tv::CommandLine cl = tv::ParseCommandLine(std::vector<std::string>(args.begin() + !args.empty(), args.end()),
                                                  scale ? scale->c_str() : nullptr);
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
