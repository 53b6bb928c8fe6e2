#pragma once
#include <string>

#include "app/settings.h"

namespace tv {

// The settings file of one run. A missing file is the usual first run and
// says nothing; one that cannot be read, is larger than kMaxSettingsBytes or
// is wrong is ignored with one line on stderr, as if it were not there (the
// player's next choice writes a good one in its place, unless a directory, a
// pipe or a device stands there: that is left alone). A choice is written into
// the file as it is then, read again, so that of two copies of the game the
// last to switch a key has it and the other keys stay as the other copy left
// them; the file is written whole (AtomicFile), its missing directories made
// for the player alone, and only when a choice differs from what it holds; one
// that cannot be written is said once on stderr and costs the game nothing else.
// Where the file is: $XDG_CONFIG_HOME/tarvolen/settings.ini, or, when that is
// unset, empty or not absolute, $HOME/.config/tarvolen/settings.ini; empty
// when HOME is not an absolute path either.
std::string SettingsPath();

class SettingsFile {
 public:
  // Reads `path`; an empty path is no file: nothing read, nothing written.
  explicit SettingsFile(const std::string& path);

  // The remembered settings: the file's, with the choices made since.
  const Settings& Remembered() const { return wanted_; }
  // The player chose the settings that `chosen` has; the others stay. Only
  // those that differ from what this copy had are written.
  void Remember(const Settings& chosen);

 private:
  void Fail(const std::string& why);

  std::string path_;
  Settings wanted_;
  Settings unwritten_;  // the player's switches the file does not have yet
  bool toldFailure_ = false;
};

}  // namespace tv
