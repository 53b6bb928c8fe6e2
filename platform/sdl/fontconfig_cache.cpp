#include "platform/sdl/fontconfig_cache.h"

#include <sys/stat.h>

#include <cstdlib>
#include <sstream>

#include "platform/files/cache_file.h"

namespace tv {
namespace {

constexpr const char* kHeader = "tarvolen font matches 1";
constexpr size_t kMaxFile = 64 * 1024;

std::string TimeOf(const std::string& path) {
  struct stat st;
  if (path.empty() || stat(path.c_str(), &st) != 0) return "-";
  return std::to_string(st.st_mtim.tv_sec) + "." + std::to_string(st.st_mtim.tv_nsec);
}

std::string Env(const char* name) {
  const char* v = std::getenv(name);
  return v ? v : "";
}

// Where fontconfig looks for its configuration, its caches and the player's fonts.
std::vector<std::string> WatchedPlaces() {
  std::vector<std::string> places = {"/etc/fonts",          "/etc/fonts/fonts.conf", "/etc/fonts/conf.d",
                                     "/var/cache/fontconfig", "/usr/share/fonts",      "/usr/local/share/fonts"};
  const std::string home = Env("HOME");
  const std::string config = Env("XDG_CONFIG_HOME").empty() ? home + "/.config" : Env("XDG_CONFIG_HOME");
  const std::string cache = Env("XDG_CACHE_HOME").empty() ? home + "/.cache" : Env("XDG_CACHE_HOME");
  const std::string data = Env("XDG_DATA_HOME").empty() ? home + "/.local/share" : Env("XDG_DATA_HOME");
  for (const std::string& p : {config + "/fontconfig", config + "/fontconfig/conf.d", cache + "/fontconfig",
                               data + "/fonts", home + "/.fonts", home + "/.fonts.conf"})
    places.push_back(p);
  return places;
}

bool Plain(const std::string& s) { return s.find_first_of("\t\n") == std::string::npos; }

}  // namespace

FontMatchCache::FontMatchCache(std::string file) : path_(std::move(file)) {}

std::string FontMatchCache::Stamp() {
  std::string s;
  for (const char* name : {"FONTCONFIG_FILE", "FONTCONFIG_PATH", "FONTCONFIG_SYSROOT", "LC_ALL", "LC_CTYPE", "LANG"})
    s += Env(name) + "\t";
  for (const std::string& place : WatchedPlaces()) s += TimeOf(place) + "\t";
  return s;
}

std::string FontMatchCache::FileStamp(const std::string& path) {
  struct stat st;
  if (stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return "";
  return std::to_string(st.st_size) + "." + TimeOf(path);
}

bool FontMatchCache::Fresh() {
  Load();
  return !entries_.empty();
}

std::optional<FontFile> FontMatchCache::Find(const std::string& family, bool bold) {
  Load();
  for (const Entry& e : entries_)
    if (e.family == family && e.bold == bold) {
      if (FileStamp(e.file.path) == e.fileStamp) return e.file;
      break;
    }
  return std::nullopt;
}

void FontMatchCache::Add(const std::string& family, bool bold, const FontFile& file) {
  Load();
  if (!Plain(family) || !Plain(file.path)) return;
  // Fontconfig may have refreshed its own caches while it answered: the
  // answers kept are those of the stamp as it stands now.
  if (std::string now = Stamp(); now != stamp_) {
    entries_.clear();
    stamp_ = std::move(now);
  }
  std::erase_if(entries_, [&](const Entry& e) { return e.family == family && e.bold == bold; });
  entries_.push_back({family, bold, file, FileStamp(file.path)});
  Save();
}

void FontMatchCache::Drop(const std::string& family, bool bold) {
  Load();
  if (std::erase_if(entries_, [&](const Entry& e) { return e.family == family && e.bold == bold; })) Save();
}

// Anything unexpected in the file makes it as good as absent.
void FontMatchCache::Load() {
  if (loaded_) return;
  loaded_ = true;
  stamp_ = Stamp();
  const std::optional<std::string> text = ReadCacheFile(path_, kMaxFile);
  if (!text) return;
  std::istringstream in(*text);
  std::string line;
  if (!std::getline(in, line) || line != kHeader) return;
  if (!std::getline(in, line) || line != stamp_) return;
  std::vector<Entry> entries;
  while (std::getline(in, line)) {
    std::istringstream fields(line);
    Entry e;
    std::string bold, index, faceBold;
    if (!std::getline(fields, e.family, '\t') || !std::getline(fields, bold, '\t') ||
        !std::getline(fields, e.file.path, '\t') || !std::getline(fields, index, '\t') ||
        !std::getline(fields, faceBold, '\t') || !std::getline(fields, e.fileStamp))
      return;
    if ((bold != "0" && bold != "1") || (faceBold != "0" && faceBold != "1") || index.empty() ||
        index.size() > 6 || index.find_first_not_of("0123456789") != std::string::npos)
      return;
    e.bold = bold == "1";
    e.file.index = std::stoi(index);
    e.file.bold = faceBold == "1";
    entries.push_back(std::move(e));
  }
  entries_ = std::move(entries);
}

void FontMatchCache::Save() const {
  if (path_.empty()) return;
  std::string text = std::string(kHeader) + "\n" + stamp_ + "\n";
  for (const Entry& e : entries_)
    text += e.family + "\t" + (e.bold ? "1" : "0") + "\t" + e.file.path + "\t" + std::to_string(e.file.index) +
            "\t" + (e.file.bold ? "1" : "0") + "\t" + e.fileStamp + "\n";
  WriteCacheFile(path_, text);
}

}  // namespace tv
