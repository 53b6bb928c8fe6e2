#include "platform/sound/recording_index.h"

#include <cctype>
#include <cinttypes>
#include <cstdio>
#include <cstring>

#include "platform/files/file_read.h"
#include "platform/files/file_report.h"
#include "platform/sound/recorded_music.h"

namespace tv {
namespace {

constexpr size_t kMaxIndexBytes = 64 << 10;  // nine lines of about fifty bytes
constexpr size_t kMaxLine = 200;
constexpr size_t kKeyLength = 16;

bool IsHexKey(const std::string& s) {
  if (s.size() != kKeyLength) return false;
  for (char c : s)
    if (!std::strchr("0123456789abcdef", c)) return false;
  return true;
}

// A plain file name in the recordings folder: nothing that reaches another folder.
bool IsPlainName(const std::string& s) {
  if (s.empty() || s.size() > 64 || s.find("..") != std::string::npos) return false;
  for (char c : s)
    if (!(std::isalnum(static_cast<unsigned char>(c)) || c == '.' || c == '_' || c == '-')) return false;
  return true;
}

bool IsFrame(const std::string& s, uint64_t& frame) {
  if (s.empty() || s.size() > 15) return false;
  frame = 0;
  for (char c : s) {
    if (c < '0' || c > '9') return false;
    frame = frame * 10 + uint64_t(c - '0');
  }
  return true;
}

// The line's three words, separated by one space each.
bool Words(const std::string& line, std::string& key, std::string& name, std::string& frame) {
  const size_t a = line.find(' ');
  const size_t b = a == std::string::npos ? a : line.find(' ', a + 1);
  if (b == std::string::npos || line.find(' ', b + 1) != std::string::npos) return false;
  key = line.substr(0, a);
  name = line.substr(a + 1, b - a - 1);
  frame = line.substr(b + 1);
  return true;
}

}  // namespace

std::string RecordingKey(const std::vector<uint8_t>& normalisedPiece) {
  uint64_t h = 14695981039346656037ull;
  for (uint8_t b : normalisedPiece) h = (h ^ b) * 1099511628211ull;
  char text[kKeyLength + 1];
  std::snprintf(text, sizeof text, "%016" PRIx64, h);
  return text;
}

std::string RecordingIndexLine(const std::vector<uint8_t>& normalisedPiece, const std::string& fileName,
                               uint64_t doneFrame) {
  return RecordingKey(normalisedPiece) + " " + fileName + " " + std::to_string(doneFrame) + "\n";
}

std::string RecordingFor(const std::string& programDir, const std::vector<uint8_t>& normalisedPiece,
                         uint64_t* doneFrame) {
  const std::string dir = RecordingsDirectory(programDir);
  const std::string path = dir + "/" + kRecordingIndexName;
  const auto refuse = [&path](const std::string& why) {
    ReportUnusableFile(path, why + ": every piece is played without its recording");
    return std::string();
  };
  std::vector<uint8_t> bytes;
  if (const int err = ReadRegularFile(path, kMaxIndexBytes, bytes)) return refuse(ReadFailureText(err));
  const std::string key = RecordingKey(normalisedPiece);
  std::string found;
  uint64_t foundFrame = 0;
  size_t lineNumber = 0;
  for (size_t at = 0; at < bytes.size();) {
    ++lineNumber;
    const auto* start = bytes.data() + at;
    const auto* end = static_cast<const uint8_t*>(std::memchr(start, '\n', bytes.size() - at));
    if (!end) return refuse("its last line is cut short");
    const std::string line(reinterpret_cast<const char*>(start), size_t(end - start));
    at += line.size() + 1;
    const std::string where = "line " + std::to_string(lineNumber);
    if (line.size() > kMaxLine) return refuse(where + " is too long");
    std::string lineKey, name, frameText;
    uint64_t frame = 0;
    if (!Words(line, lineKey, name, frameText) || !IsHexKey(lineKey) || !IsFrame(frameText, frame))
      return refuse(where + " is garbled");
    if (!IsPlainName(name)) return refuse(where + " names a file outside the recordings folder");
    if (lineKey == key && found.empty()) {
      found = dir + "/" + name;
      foundFrame = frame;
    }
  }
  if (doneFrame) *doneFrame = foundFrame;
  return found;
}

}  // namespace tv
