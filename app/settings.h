#pragma once
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

// What the player last chose (scale, fullscreen, sound), kept between runs in
// a small text file of "key=value" lines:
//   # Tarvolen remembers here what the player last chose.
//   scale=2
//   fullscreen=no
//   sound=on
// Reading and writing it here do no I/O (app/settings_file does), so tests
// and the fuzzer can feed it anything.
namespace tv {

struct Settings {
  std::optional<int> scale;        // 1 to kMaxScale; none: the display's choice
  std::optional<bool> fullscreen;  // F11, Alt+Enter, --fullscreen
  std::optional<bool> sound;       // M; false: all sound off
  bool operator==(const Settings&) const = default;
};

// Larger files are not settings of ours: they are refused unread.
inline constexpr size_t kMaxSettingsBytes = 4096;

// The settings in `text`, or nothing with `error` saying what is wrong and on
// which line. Blank lines and lines starting with '#' are skipped, and so is
// a key this version does not know, so that a newer version's file is still
// read. A line that is not "key=value", a known key given twice or a value
// out of its range makes the whole file wrong. Blanks around the key and the
// value and a CR before the line's end are allowed; the words are not
// translated (yes/no or on/off, in lower case).
std::optional<Settings> ParseSettings(std::string_view text, std::string& error);

// The file's text for `s`: only the settings it has. ParseSettings reads it
// back as `s`.
std::string FormatSettings(const Settings& s);


}  // namespace tv
