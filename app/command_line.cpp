#include "app/command_line.h"

#include "platform/toolkit/view.h"

namespace tv {
namespace {

std::string BadScale(const std::string& from, const std::string& value) {
  return "invalid " + from + " '" + value + "': a whole number from 1 to " + std::to_string(kMaxScale) +
         " is expected";
}

}  // namespace

CommandLine ParseCommandLine(const std::vector<std::string>& args, const char* scaleEnv) {
  CommandLine cl;
  auto fail = [&cl](std::string why) {
    cl.action = CommandLine::Action::Fail;
    cl.error = std::move(why);
    return cl;
  };
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a == "--") {
      if (i + 1 < args.size()) return fail("unexpected argument '" + args[i + 1] + "'");
      break;
    }
    const size_t eq = a.find('=');
    const std::string name = a.substr(0, eq);
    std::optional<std::string> value;
    if (eq != std::string::npos) value = a.substr(eq + 1);
    if (name == "--help" || name == "--version") {
      if (value) return fail("option '" + name + "' doesn't allow an argument");
      // The first of them wins, as GNU programs do; later errors still count.
      if (cl.action == CommandLine::Action::Play)
        cl.action = name == "--help" ? CommandLine::Action::Help : CommandLine::Action::Version;
    } else if (name == "--headless" || name == "--fullscreen") {
      if (value) return fail("option '" + name + "' doesn't allow an argument");
      (name == "--headless" ? cl.headless : cl.fullscreen) = true;
    } else if (name == "--scale" || name == "--record" || name == "--replay" || name == "--png") {
      if (!value) {
        if (i + 1 >= args.size()) return fail("option '" + name + "' requires an argument");
        value = args[++i];
      }
      if (value->empty()) return fail("option '" + name + "' needs a non-empty argument");
      if (name == "--record") {
        cl.record = *value;
        continue;
      }
      if (name == "--replay") {
        cl.replay = *value;
        continue;
      }
      if (name == "--png") {
        cl.png = *value;
        continue;
      }
      auto n = ParseScale(*value);
      if (!n) return fail(BadScale("scale", *value));
      cl.scale = *n;
      cl.scaleChosen = true;
    } else if (a.size() > 1 && a[0] == '-') {
      return fail("unrecognized option '" + a + "'");
    } else {
      return fail("unexpected argument '" + a + "'");
    }
  }
  if (!cl.record.empty() && !cl.replay.empty()) return fail("--record and --replay exclude each other");
  if (cl.headless && cl.replay.empty()) return fail("--headless needs --replay");
  if (!cl.png.empty() && !cl.headless) return fail("--png needs --headless");
  if (cl.headless && cl.png.empty()) cl.png = cl.replay + ".png";
  // The environment only counts when it is used: a bad value must not stop --help.
  if (!cl.scaleChosen && scaleEnv && cl.action == CommandLine::Action::Play) {
    auto n = ParseScale(scaleEnv);
    if (!n) return fail(BadScale("TARVOLEN_SCALE", scaleEnv));
    cl.scale = *n;
  }
  return cl;
}

std::string UsageLine() {
  return "Usage: tarvolen [--scale N] [--fullscreen] [--help] [--version]\n"
         "                [--record FILE | --replay FILE [--headless [--png FILE]]]\n";
}

std::string HelpText() {
  return UsageLine() +
         "Tarvolen: a two-sided artillery game over the Earth seen from orbit.\n"
         "\n"
         "  --scale N       show the window N times larger (N from 1 to 4); every\n"
         "                  pixel becomes an N x N block, the message boxes' too.\n"
         "                  By default the largest that takes at most four fifths\n"
         "                  of the screen's width and height\n"
         "  --fullscreen    start fullscreen: the picture at the largest whole scale\n"
         "                  that fits, centred on black; F11 or Alt+Enter switches\n"
         "                  fullscreen on and off at any time\n"
         "  --record FILE   write a journal of the session to FILE: every input event\n"
         "                  with its time, and the random generator's seed\n"
         "  --replay FILE   play a recorded session back on the window\n"
         "  --headless      with --replay: no window, as fast as possible; prints the\n"
         "                  final game state and writes the last frame as a PNG\n"
         "  --png FILE      where --headless writes the last frame (default: the\n"
         "                  journal's name with .png appended)\n"
         "  --help          show this help and exit\n"
         "  --version       show the version and exit\n"
         "\n"
         "Environment:\n"
         "  TARVOLEN_SCALE   the scale when --scale is not given, not remembered\n"
#if !defined(_WIN32)
         "  XDG_CONFIG_HOME  where the settings file is (default: ~/.config)\n"
         "  SDL_AUDIODRIVER  SDL's sound driver (e.g. dummy for silence)\n"
         "  TARVOLEN_SOUNDFONT  the General MIDI sound font; without it the first of\n"
         "                  /usr/share/sounds/sf2/default-GM.sf2,\n"
         "                  /usr/share/soundfonts/default.sf2,\n"
         "                  /usr/share/soundfonts/FluidR3_GM.sf2,\n"
         "                  /usr/share/sounds/sf2/FluidR3_GM.sf2,\n"
         "                  /usr/share/sounds/sf2/TimGM6mb.sf2\n"
#endif
         "\n"
         "Files, read from the program's own directory:\n"
         "  0.mid            the menu music\n"
         "  1.mid ... 8.mid  the music of each level\n"
         "  1.bmp ... 8.bmp  the right-hand launcher at each level\n"
         "  hit.wav          the hit effect\n"
         "  recordings/      the music recorded ahead by the build (optional)\n"
         "\n"
#if defined(_WIN32)
         "The settings file, %APPDATA%\\Tarvolen\\settings.ini, keeps the scale given\n"
         "with --scale, and\n"
#else
         "The settings file, $XDG_CONFIG_HOME/tarvolen/settings.ini or else\n"
         "~/.config/tarvolen/settings.ini, keeps the scale given with --scale, and\n"
#endif
         "fullscreen and sound as last switched; the game starts so next time.\n"
         "The options and TARVOLEN_SCALE win over it; --replay ignores it.\n"
         "\n"
         "Exit status: 0 when the window was closed (or a replay ran to its end),\n"
         "1 when the game could not start (no display, an unreadable journal) or a\n"
         "replay went another way than recorded, 2 for a wrong command line.\n"
         "See tarvolen(6) for the keys and the game's modes.\n";
}

std::string VersionText() {
  return "tarvolen " TARVOLEN_VERSION "\n"
         "Copyright (C) Tarvolen Games\n"
         "License: MIT <https://opensource.org/licenses/MIT>\n";
}

}  // namespace tv
