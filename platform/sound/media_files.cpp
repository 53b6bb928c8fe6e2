#include "platform/sound/media_files.h"

#include <filesystem>

#include <cerrno>

#include "platform/files/file_read.h"

namespace tv {

FileCheck ReadMediaFile(const std::string& path, std::vector<uint8_t>& bytes) {
  switch (ReadRegularFile(path, kMaxMediaFileBytes, bytes)) {
    case 0: return bytes.empty() ? FileCheck::Empty : FileCheck::Ok;
    case ENOENT:
    case ENOTDIR:
    case ENAMETOOLONG: return FileCheck::NotFound;
    case EISDIR:
    case EINVAL: return FileCheck::NotRegular;
    case EFBIG: return FileCheck::TooLarge;
    default: return FileCheck::Unreadable;
  }
}

std::vector<std::vector<uint8_t>> PiecesIn(const std::string& directory) {
  std::vector<std::vector<uint8_t>> pieces;
  std::error_code ec;
  for (const auto& entry : std::filesystem::directory_iterator(directory, ec)) {
    if (entry.path().extension() != ".mid") continue;
    std::vector<uint8_t> bytes;
    uint32_t lengthMs = 0;
    if (ReadMediaFile(entry.path().string(), bytes) == FileCheck::Ok && ParseMidi(bytes, lengthMs) == FileCheck::Ok)
      pieces.push_back(std::move(bytes));
  }
  return pieces;
}

}  // namespace tv
