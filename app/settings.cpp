#include "app/settings.h"

#include "platform/toolkit/view.h"

namespace tv {
namespace {

std::string_view Trimmed(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

// Plain ASCII by hand: no locale can change what a key is.
bool IsKey(std::string_view key) {
  if (key.empty()) return false;
  for (char c : key)
    if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' || c == '-' ||
          c == '.'))
      return false;
  return true;
}

std::optional<bool> Switch(std::string_view value) {
  if (value == "yes" || value == "on") return true;
  if (value == "no" || value == "off") return false;
  return std::nullopt;
}

}  // namespace

std::optional<Settings> ParseSettings(std::string_view text, std::string& error) {
  Settings s;
  int lineNumber = 0;
  auto wrong = [&](const std::string& why) {
    error = "line " + std::to_string(lineNumber) + ": " + why;
    return std::nullopt;
  };
  while (!text.empty()) {
    ++lineNumber;
    const size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    line = Trimmed(line);
    if (line.empty() || line.front() == '#') continue;
    const size_t eq = line.find('=');
    if (eq == std::string_view::npos) return wrong("not a key=value line");
    const std::string_view key = Trimmed(line.substr(0, eq)), value = Trimmed(line.substr(eq + 1));
    if (!IsKey(key)) return wrong("not a key=value line");
    if (key == "scale") {
      if (s.scale) return wrong("scale is given twice");
      s.scale = ParseScale(value);
      if (!s.scale) return wrong("scale is not a whole number from 1 to " + std::to_string(kMaxScale));
    } else if (key == "fullscreen" || key == "sound") {
      std::optional<bool>& field = key == "sound" ? s.sound : s.fullscreen;
      if (field) return wrong(std::string(key) + " is given twice");
      field = Switch(value);
      if (!field) return wrong(std::string(key) + " is none of yes, no, on, off");
    }
  }
  return s;
}

std::string FormatSettings(const Settings& s) {
  std::string text = "# Tarvolen remembers here what the player last chose.\n";
  if (s.scale) text += "scale=" + std::to_string(*s.scale) + "\n";
  if (s.fullscreen) text += std::string("fullscreen=") + (*s.fullscreen ? "yes" : "no") + "\n";
  if (s.sound) text += std::string("sound=") + (*s.sound ? "on" : "off") + "\n";
  return text;
}

}  // namespace tv
