// Writes the journal fuzzer's seeds: a few short sessions recorded as the
// program records them (one loop until the window closes) on the headless
// backend. Usage: make_journal_seeds DIR
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "app/form1_layout.h"
#include "tests/support/game_harness.h"

namespace {

using Script = std::function<void(tv::HeadlessBackend&)>;

// Records one session; false, said on stderr, when its journal cannot be written.
bool Record(const std::string& path, const Script& script) {
  tv::test::Game game(TARVOLEN_DATA_DIR, path);
  script(game.backend);
  game.Start();
  game.app.Run();
  const std::string error = game.recorder->Finish();
  if (!error.empty()) std::fprintf(stderr, "make_journal_seeds: %s\n", error.c_str());
  return error.empty();
}

void Quit(tv::HeadlessBackend& b, uint64_t at) {
  tv::Event quit;
  quit.type = tv::Event::Type::Quit;
  b.At(at, quit);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s DIR\n", argv[0]);
    return 2;
  }
  const std::string dir = argv[1];
  const std::vector<std::pair<std::string, Script>> sessions = {
      // The pointer over the rows, then the computer playing both sides.
      {"rows.journal",
       [](tv::HeadlessBackend& b) {
         for (int row = 0; row < 4; ++row)
           b.At(100 + 50 * row, tv::Event::Mouse(tv::Event::Type::MouseMove, tv::RowCentre(row).x, tv::RowCentre(row).y));
         b.Press(400, tv::VK_UP);
         b.Press(450, tv::VK_RETURN);
         Quit(b, 5000);
       }},
      // Two players: aim, fire, watch the flight, back to the menu.
      {"match.journal",
       [](tv::HeadlessBackend& b) {
         b.Press(100, tv::VK_DOWN);
         b.Press(150, tv::VK_RETURN);
         b.Press(600, tv::VK_UP);
         b.Press(650, tv::VK_LEFT);
         b.Press(700, 'A');
         b.KeyDown(750, tv::VK_SPACE);
         b.KeyUp(1400, tv::VK_SPACE);
         b.Press(4000, tv::VK_ESCAPE);
         Quit(b, 4200);
       }},
      // Against the computer, which aims and fires on its own.
      {"computer.journal",
       [](tv::HeadlessBackend& b) {
         b.Press(100, tv::VK_RETURN);
         b.KeyDown(500, tv::VK_SPACE);
         b.KeyUp(900, tv::VK_SPACE);
         Quit(b, 6000);
       }},
  };
  for (const auto& [name, script] : sessions)
    if (!Record(dir + "/" + name, script)) return 1;
  return 0;
}
