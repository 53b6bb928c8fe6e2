// tarvolen: a two-sided artillery game over the Earth seen from orbit.
#include <cstdio>
#include <exception>
#include <future>
#include <memory>

#include <malloc.h>

#include "app/form1.h"
#include "assets/pictures.h"
#include "platform/application.h"
#include "platform/sdl/sdl_backend.h"
#include "platform/sdl/sdl_media.h"
#include "platform/system.h"

// The program file's version record, readable with `strings`.
[[gnu::used]] static const char kVersionRecord[] =
    "FileDescription=Tarvolen;FileVersion=1.2.0.0;ProductVersion=1.2.0.0;CompanyName=Tarvolen Games";

int main() {
  // The synthesiser and its sound font load beside the window's start-up
  // (the menu music waits for them, the menu's first picture does not).
  std::future<void> music = std::async(std::launch::async, tv::PrepareSdlMusic);
  std::unique_ptr<tv::Backend> backend;
  try {
    backend = tv::MakeSdlBackend();
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
    // Start-up's passing allocations (font matching, picture decoding) are
    // freed by now; give their pages back rather than keep them resident.
    malloc_trim(0);
    app.Run();
  }
  return 0;
}
