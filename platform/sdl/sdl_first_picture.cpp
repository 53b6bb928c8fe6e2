#include "platform/sdl/sdl_first_picture.h"

#include <sys/stat.h>

#include <cstring>
#include <algorithm>
#include <sstream>

#include "platform/files/atomic_file.h"
#include "platform/files/file_read.h"
#include "platform/files/system.h"
#include "platform/sdl/sdl_fontcache.h"

namespace tv {
namespace {

constexpr const char* kHeader = "tarvolen first picture 1";
constexpr size_t kMaxText = 64 * 1024;  // the lines before the pixels

// Fontconfig's environment, as one line. Not the program file: two copies of
// the game (an installed one and a build) would take turns writing theirs and
// neither would ever show it; another version's menu stands only until the
// game's own picture replaces it, in the file too.
std::string Stamp() { return FontMatchCache::Stamp(); }

bool OneLine(const std::string& s) { return s.find('\n') == std::string::npos; }

// Each font file with its size and time, tab between.
std::string FontsLine(const std::vector<std::string>& fonts) {
  std::string line;
  for (const std::string& f : fonts) line += f + "\t" + FontMatchCache::FileStamp(f) + "\t";
  return line;
}

// The font files a fonts line names, for their stamps as they are now.
std::vector<std::string> FontsNamed(const std::string& line) {
  std::vector<std::string> fonts;
  std::istringstream in(line);
  for (std::string path, stamp; std::getline(in, path, '\t') && std::getline(in, stamp, '\t');)
    fonts.push_back(path);
  return fonts;
}

}  // namespace

FirstPicture::FirstPicture(std::string file) : path_(std::move(file)) {}

std::string FirstPicture::Encode(const Bitmap& picture, const std::string& title,
                                 const std::vector<std::string>& fonts) {
  // Runs of one colour: the menu is mostly flat rows and black, a tenth of its raw megabyte.
  std::vector<uint32_t> runs;
  for (size_t i = 0; i < picture.pixels.size();) {
    size_t j = i + 1;
    while (j < picture.pixels.size() && picture.pixels[j] == picture.pixels[i]) ++j;
    runs.push_back(uint32_t(j - i));
    runs.push_back(picture.pixels[i]);
    i = j;
  }
  std::string bytes = std::string(kHeader) + "\n" + Stamp() + "\n" + FontsLine(fonts) + "\n" + title + "\n" +
                      std::to_string(picture.width) + " " + std::to_string(picture.height) + " " +
                      std::to_string(runs.size() / 2) + "\n";
  const size_t at = bytes.size();
  bytes.resize(at + runs.size() * sizeof(uint32_t));
  std::memcpy(bytes.data() + at, runs.data(), runs.size() * sizeof(uint32_t));
  return bytes;
}

std::optional<FirstPicture::Kept> FirstPicture::Decode(const std::string& bytes, int width, int height) {
  if (width <= 0 || height <= 0) return std::nullopt;
  size_t at = 0;
  auto line = [&](std::string& out) {
    const size_t nl = bytes.find('\n', at);
    if (nl == std::string::npos || nl > kMaxText) return false;
    out = bytes.substr(at, nl - at);
    at = nl + 1;
    return true;
  };
  Kept kept;
  std::string header, stamp, fonts, size;
  const std::string prefix = std::to_string(width) + " " + std::to_string(height) + " ";
  if (!line(header) || header != kHeader || !line(stamp) || stamp != Stamp() || !line(fonts) ||
      fonts != FontsLine(FontsNamed(fonts)) || !line(kept.title) || !line(size) || size.rfind(prefix, 0) != 0)
    return std::nullopt;
  // The runs: exactly as many bytes as the size line says, adding up to the picture.
  const std::string digits = size.substr(prefix.size());
  if (digits.empty() || digits.size() > 9 || digits.find_first_not_of("0123456789") != std::string::npos)
    return std::nullopt;
  const size_t runs = std::stoul(digits), pixels = size_t(width) * size_t(height);
  if (runs == 0 || runs > pixels || bytes.size() - at != runs * 8) return std::nullopt;
  kept.width = width;
  kept.height = height;
  kept.runs.resize(runs * 2);
  std::memcpy(kept.runs.data(), bytes.data() + at, runs * 8);
  size_t filled = 0;
  for (size_t r = 0; r < runs; ++r) {
    const uint32_t length = kept.runs[2 * r];
    if (length == 0 || length > pixels - filled) return std::nullopt;
    kept.runs[2 * r + 1] &= 0xFFFFFF;
    filled += length;
  }
  if (filled != pixels) return std::nullopt;
  return kept;
}

void FirstPicture::Kept::Next(Cursor& at, Pixel* out, size_t count) const {
  while (count > 0 && 2 * at.run + 1 < runs.size()) {
    const size_t n = std::min<size_t>(count, runs[2 * at.run] - at.used);
    out = std::fill_n(out, n, Pixel(runs[2 * at.run + 1]));
    count -= n;
    at.used += uint32_t(n);
    if (at.used == runs[2 * at.run]) at = {at.run + 1, 0};
  }
}

Bitmap FirstPicture::Kept::Picture() const {
  Bitmap b(width, height);
  Cursor at;
  Next(at, b.pixels.data(), b.pixels.size());
  return b;
}

std::optional<FirstPicture::Kept> FirstPicture::Load(int width, int height) const {
  if (path_.empty() || width <= 0 || height <= 0) return std::nullopt;
  std::vector<uint8_t> bytes;
  if (ReadRegularFile(path_, kMaxText + size_t(width) * size_t(height) * 8, bytes) != 0) return std::nullopt;
  return Decode(std::string(bytes.begin(), bytes.end()), width, height);
}

void FirstPicture::Keep(const Bitmap& picture, const std::string& title, const std::vector<std::string>& fonts) const {
  if (path_.empty() || picture.Empty() || !OneLine(title) || !OneLine(Stamp())) return;
  for (const std::string& f : fonts)
    if (f.find_first_of("\t\n") != std::string::npos) return;
  const std::string bytes = Encode(picture, title, fonts);
  // Only a regular file is ours to replace, as with the font answers.
  struct stat st {};
  if (::stat(path_.c_str(), &st) == 0 && !S_ISREG(st.st_mode)) return;
  if (MakeDirectories(DirectoryOf(path_)) == 0) WriteWholeFile(path_, bytes);
}

std::string FirstPictureFile() {
  const std::string dir = UserDirectory("XDG_CACHE_HOME", ".cache");
  return dir.empty() ? dir : JoinPath(dir, "first-picture");
}

}  // namespace tv
