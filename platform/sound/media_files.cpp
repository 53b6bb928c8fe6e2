#include "platform/sound/media_files.h"

#include <cerrno>

#include "platform/files/file_read.h"
#include "platform/files/native_file.h"
#include "platform/files/system.h"

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
  // The folder's names are UTF-8 on every system (std::filesystem would take
  // them in Windows' ANSI code page); ".mid" alone is no piece's name.
  for (const FolderEntry& entry : FolderEntries(directory, "")) {
    if (entry.name.size() <= 4 || !entry.name.ends_with(".mid")) continue;
    std::vector<uint8_t> bytes;
    uint32_t lengthMs = 0;
    if (ReadMediaFile(JoinPath(directory, entry.name), bytes) == FileCheck::Ok &&
        ParseMidi(bytes, lengthMs) == FileCheck::Ok)
      pieces.push_back(std::move(bytes));
  }
  return pieces;
}

}  // namespace tv
