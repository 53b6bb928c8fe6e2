#include "app/settings_file.h"

#include <stdlib.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/files/atomic_file.h"
#include "platform/files/file_read.h"
#include "platform/files/system.h"

namespace tv {
std::string SettingsPath() {
  const std::string dir = UserDirectory("XDG_CONFIG_HOME", ".config");
  return dir.empty() ? dir : JoinPath(dir, "settings.ini");
}

SettingsFile::SettingsFile(const std::string& path) : path_(path) {
  if (path_.empty()) return;
  std::vector<uint8_t> bytes;
  const int err = ReadRegularFile(path_, kMaxSettingsBytes, bytes);
  if (err == ENOENT) return;
  std::string why;
  // A pipe or a device in its place is not ours to write: writing would wait
  // on the pipe's reader, with the game stopped.
  if (err == EINVAL || err == EISDIR) path_.clear();
  if (err) {
    why = err == EFBIG ? "larger than " + std::to_string(kMaxSettingsBytes) + " bytes" : ReadFailureText(err);
  } else if (auto s = ParseSettings(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()),
                                    why)) {
    written_ = wanted_ = *s;
    return;
  }
  std::fprintf(stderr, "tarvolen: ignoring the settings file %s: %s\n", path.c_str(), why.c_str());
}

void SettingsFile::Remember(const Settings& chosen) {
  if (chosen.scale) wanted_.scale = chosen.scale;
  if (chosen.fullscreen) wanted_.fullscreen = chosen.fullscreen;
  if (chosen.sound) wanted_.sound = chosen.sound;
  if (path_.empty() || wanted_ == written_) return;
  // A link (a player's dotfiles kept elsewhere) stays one: its file is replaced.
  std::string target = path_;
  if (char* real = ::realpath(path_.c_str(), nullptr)) {
    target = real;
    std::free(real);
  }
  // New directories are for the player alone: what a player chose is nobody else's.
  int err = MakeDirectories(DirectoryOf(target));
  if (!err) err = WriteWholeFile(target, FormatSettings(wanted_));
  if (!err) {
    written_ = wanted_;
  } else if (!toldFailure_) {
    toldFailure_ = true;
    std::fprintf(stderr, "tarvolen: cannot write the settings file %s: %s\n", path_.c_str(), std::strerror(err));
  }
}

}  // namespace tv
