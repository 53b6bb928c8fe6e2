#pragma once
#include <optional>
#include <string>
#include <vector>

// The program's command line, GNU style: long options, "--name=value" or
// "--name value", "--" ends the options. Parsing does no I/O, so tests can
// feed it anything.
namespace tv {

struct CommandLine {
  enum class Action { Play, Help, Version, Fail };
  Action action = Action::Play;
  int scale = 0;       // --scale, else TARVOLEN_SCALE, else 0: the settings' or what suits the display
  bool scaleChosen = false;  // --scale gave it: the player's choice, remembered (TARVOLEN_SCALE is not)
  bool fullscreen = false;  // --fullscreen: start fullscreen
  std::string record;  // --record FILE: write the session's journal
  std::string replay;  // --replay FILE: play a journal back
  bool headless = false;  // --headless: replay without a window
  std::string png;     // --png FILE: the last frame of a headless replay
  std::string error;   // for Fail: what was wrong, one line
};

// `args` without the program name; `scaleEnv` is TARVOLEN_SCALE (null when unset).
CommandLine ParseCommandLine(const std::vector<std::string>& args, const char* scaleEnv);

// The text of --help.
std::string HelpText();
// The text of --version.
std::string VersionText();
// One line naming the options, for errors.
std::string UsageLine();

}  // namespace tv
