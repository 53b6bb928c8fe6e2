// libFuzzer entry: any bytes given as a journal are refused with their line,
// or replay through the whole game on the headless backend, as
// `tarvolen --replay J --headless` does, to the journal's end without fault.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string_view>

#include "app/form1.h"
#include "platform/toolkit/application.h"
#include "platform/headless/headless_backend.h"
#include "platform/toolkit/journal.h"
#include "platform/sdl/sdl_bmp.h"
#include "platform/sdl/sdl_text.h"
#include "tests/support/fake_media_control.h"

namespace {

tv::TextRenderer& Text() {
  static std::unique_ptr<tv::TextRenderer> text = [] {
    tv::InstallSdlBitmapDecoder();  // the level pictures, decoded as on the window
    return tv::MakeSdlTextRenderer();
  }();
  return *text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  tv::HeadlessBackend machine(Text());
  std::unique_ptr<tv::JournalReplayer> replay;
  try {
    replay = std::make_unique<tv::JournalReplayer>(
        machine, "fuzz", std::string_view(reinterpret_cast<const char*>(data), size), false);
  } catch (const std::runtime_error&) {
    return 0;
  }
  replay->CreateMainWindow(tv::TForm1::kClientWidth, tv::TForm1::kClientHeight, " ", tv::ArgbImage{});
  tv::TApplication app(*replay);
  tv::GameState state;
  tv::test::FakeMediaControl media;
  tv::TForm1 form(app, state, media, TARVOLEN_DATA_DIR);
  tv::StartUp(app, form);
  // One loop until the window closes: at the latest when the journal runs out.
  app.Run();
  form.Surface().Update();
  return 0;
}
