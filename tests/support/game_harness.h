#pragma once
#include <memory>
#include <string>

#include "app/form1.h"
#include "platform/toolkit/application.h"
#include "platform/headless/headless_backend.h"
#include "platform/toolkit/journal.h"
#include "tests/support/fake_media_control.h"

namespace tv::test {

// The real fonts, shared by every test: label sizes in tests are the program's.
TextRenderer& SharedText();

// One whole program on the headless backend: a fresh game state, a recording
// media layer, and the window built from its layout. Start() runs start-up.
// With a `journal` path the program runs on a JournalRecorder around the
// backend, as `tarvolen --record` does, so the session can be replayed.
struct Game {
  explicit Game(std::string dataDir = TARVOLEN_DATA_DIR, const std::string& journal = "");
  ~Game();

  void Start() { StartUp(app, *form); }
  // Runs the loop for `ms` of virtual time.
  void Run(uint64_t ms) { app.RunFor(ms); }
  void Key(uint16_t key, uint64_t after = 0);  // down and up, `after` ms from now
  uint64_t Now() { return backend.NowMs(); }
  // Starts a mode from the menu with the keyboard.
  void StartMode(int row);
  // What the window shows at (x, y), as 0x00RRGGBB.
  Pixel PixelAt(int x, int y) { return form->Surface().ReadPixel(x, y); }

  HeadlessBackend backend;
  std::unique_ptr<JournalRecorder> recorder;
  TApplication app;
  GameState state;
  FakeMediaControl media;
  std::unique_ptr<TForm1> form;
  GameState& g;
};

}  // namespace tv::test
