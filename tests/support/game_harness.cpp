#include "tests/support/game_harness.h"

#include "assets/pictures.h"
#if defined(_WIN32)
#include "platform/win32/win32_bmp.h"
#include "platform/win32/win32_text.h"
#else
#include "platform/sdl/sdl_bmp.h"
#include "platform/sdl/sdl_text.h"
#endif

namespace tv::test {

TextRenderer& SharedText() {
  // Level pictures are decoded as on the real machine.
#if defined(_WIN32)
  InstallWicBitmapDecoder();
  static std::unique_ptr<TextRenderer> text = MakeGdiTextRenderer();
#else
  InstallSdlBitmapDecoder();
  static std::unique_ptr<TextRenderer> text = MakeSdlTextRenderer();
#endif
  return *text;
}

Game::Game(std::string dataDir, const std::string& journal)
    : backend(SharedText()),
      recorder(journal.empty() ? nullptr : std::make_unique<JournalRecorder>(backend, journal)),
      app(recorder ? static_cast<Backend&>(*recorder) : backend),
      g(state) {
  backend.CreateMainWindow(TForm1::kClientWidth, TForm1::kClientHeight, " ", ProgramIcon());
  form = std::make_unique<TForm1>(app, state, media, std::move(dataDir));
}

Game::~Game() = default;

void Game::Key(uint16_t key, uint64_t after) { backend.Press(Now() + after, key); }

void Game::StartMode(int row) {
  if (g.Phase != kMenu) {
    Key(VK_ESCAPE);
    Run(1);
  }
  for (int i = 0; i < row; ++i) Key(VK_DOWN);
  Key(VK_RETURN);
  Run(1);
}

}  // namespace tv::test
