// tarvolen: a two-sided artillery game over the Earth seen from orbit.
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <memory>

#include "app/command_line.h"
#include "app/form1.h"
#include "assets/pictures.h"
#include "platform/application.h"
#include "platform/sdl/sdl_backend.h"
#include "platform/sdl/sdl_media.h"
#include "platform/system.h"

// The program file's version record, readable with `strings`.
[[gnu::used]] static const char kVersionRecord[] = "FileDescription=Tarvolen;FileVersion=" TARVOLEN_VERSION
                                                   ";ProductVersion=" TARVOLEN_VERSION
                                                   ";CompanyName=Tarvolen Games";

int main(int argc, char** argv) {
  const tv::CommandLine cl =
      tv::ParseCommandLine(std::vector<std::string>(argv + (argc > 0), argv + argc), std::getenv("TARVOLEN_SCALE"));
  switch (cl.action) {
    case tv::CommandLine::Action::Help:
      std::fputs(tv::HelpText().c_str(), stdout);
      return std::fflush(stdout) == 0 && !std::ferror(stdout) ? 0 : 1;
    case tv::CommandLine::Action::Version:
      std::fputs(tv::VersionText().c_str(), stdout);
      return std::fflush(stdout) == 0 && !std::ferror(stdout) ? 0 : 1;
    case tv::CommandLine::Action::Fail:
      std::fprintf(stderr, "tarvolen: %s\n%sTry 'tarvolen --help' for more information.\n", cl.error.c_str(),
                   tv::UsageLine().c_str());
      return 2;
    case tv::CommandLine::Action::Play:
      break;
  }

  std::unique_ptr<tv::Backend> backend;
  try {
    backend = tv::MakeSdlBackend(cl.scale);
    backend->CreateMainWindow(tv::TForm1::kClientWidth, tv::TForm1::kClientHeight, " ", tv::ProgramIcon());
  } catch (const std::exception& e) {
    std::fprintf(stderr, "tarvolen: cannot open the game's window: %s\n", e.what());
    return 1;
  }
  tv::Backend& b = *backend;
  std::unique_ptr<tv::MediaControl> media = tv::MakeSdlMediaControl([&b](const tv::Event& ev) { b.PostEvent(ev); });

  tv::TApplication app(b);
  tv::GameState state;
  {
    tv::TForm1 form(app, state, *media, tv::ProgramDirectory());
    tv::StartUp(app, form);
    app.Run();
  }
  return 0;
}
