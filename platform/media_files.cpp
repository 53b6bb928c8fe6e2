#include "platform/media_files.h"

#include <cerrno>

#include "platform/file_read.h"

namespace tv {

FileCheck ReadMediaFile(const std::string& path, std::vector<uint8_t>& bytes) {
  switch (ReadRegularFile(path, kMaxMediaFileBytes, bytes)) {
    case 0: return bytes.empty() ? FileCheck::Empty : FileCheck::Ok;
    case ENOENT:
    case ENOTDIR:
    case ENAMETOOLONG: return FileCheck::NotFound;
    case EFBIG: return FileCheck::TooLarge;
    default: return FileCheck::Unreadable;
  }
}

}  // namespace tv
