#include "app/settings_file.h"

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <optional>
#include <vector>

#include "platform/files/atomic_file.h"
#include "platform/files/file_read.h"
#include "platform/files/system.h"

namespace tv {
namespace {

// The settings the file at `path` holds now; otherwise nothing, with `err` the
// read's error number (0 for a file read but wrong) and `why` the reason.
std::optional<Settings> ReadSettings(const std::string& path, int& err, std::string& why) {
  std::vector<uint8_t> bytes;
  err = ReadRegularFile(path, kMaxSettingsBytes, bytes);
  if (err) {
    why = err == EFBIG ? "larger than " + std::to_string(kMaxSettingsBytes) + " bytes" : ReadFailureText(err);
    return std::nullopt;
  }
  return ParseSettings(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()), why);
}

// A key the player switched in this copy: the copy has it now, the file is to.
template <typename T>
void NoteSwitch(const std::optional<T>& chosen, std::optional<T>& now, std::optional<T>& unwritten) {
  if (chosen && chosen != now) now = unwritten = chosen;
}

}  // namespace

std::string SettingsPath() {
  const std::string dir = SettingsDirectory();
  return dir.empty() ? dir : JoinPath(dir, "settings.ini");
}

SettingsFile::SettingsFile(const std::string& path) : path_(path) {
  if (path_.empty()) return;
  int err = 0;
  std::string why;
  if (auto s = ReadSettings(path_, err, why)) {
    wanted_ = *s;
    return;
  }
  if (err == ENOENT) return;
  // A pipe or a device in its place is not ours to write: writing would wait
  // on the pipe's reader, with the game stopped.
  if (err == EINVAL || err == EISDIR) path_.clear();
  std::fprintf(stderr, "tarvolen: ignoring the settings file %s: %s\n", path.c_str(), why.c_str());
}

void SettingsFile::Remember(const Settings& chosen) {
  NoteSwitch(chosen.scale, wanted_.scale, unwritten_.scale);
  NoteSwitch(chosen.fullscreen, wanted_.fullscreen, unwritten_.fullscreen);
  NoteSwitch(chosen.sound, wanted_.sound, unwritten_.sound);
  if (path_.empty() || unwritten_ == Settings{}) return;
  // Another copy of the game may have written the file since: only this
  // copy's switches go into the file as it is now, so the last to switch a key
  // has it and nobody's other choices are undone. A wrong file counts as none.
  // (SettingsFile.TwoCopiesEachWriteOnlyTheirOwnChoice)
  int err = 0;
  std::string why;
  const Settings now = ReadSettings(path_, err, why).value_or(Settings{});
  Settings merged = now;
  if (unwritten_.scale) merged.scale = unwritten_.scale;
  if (unwritten_.fullscreen) merged.fullscreen = unwritten_.fullscreen;
  if (unwritten_.sound) merged.sound = unwritten_.sound;
  // A pipe or a device put in its place since the start is left alone, as it was then.
  if (err == EINVAL || err == EISDIR) return Fail(why);
  if (merged != now) {
    // A link (a player's dotfiles kept elsewhere) stays one: its file is
    // replaced, or made when the link is there before it
    // (SettingsFile.ALinkStaysOneAndItsFileIsWrittenEvenBeforeItExists).
    std::string target;
    err = FollowLinks(path_, target);
    // New directories are for the player alone: what a player chose is nobody else's.
    if (!err) err = MakeDirectories(DirectoryOf(target));
    if (!err) err = WriteWholeFile(target, FormatSettings(merged));
    if (err) return Fail(std::strerror(err));
  }
  unwritten_ = {};
}

void SettingsFile::Fail(const std::string& why) {
  if (toldFailure_) return;
  toldFailure_ = true;
  std::fprintf(stderr, "tarvolen: cannot write the settings file %s: %s\n", path_.c_str(), why.c_str());
}

}  // namespace tv
