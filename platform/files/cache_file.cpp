#include "platform/files/cache_file.h"

#include <cerrno>
#include <cstdint>
#include <vector>

#include "platform/files/atomic_file.h"
#include "platform/files/file_read.h"
#include "platform/files/native_file.h"
#include "platform/files/system.h"

namespace tv {

std::string CacheFilePath(const std::string& name) {
  const std::string dir = CacheDirectory();
  return dir.empty() ? dir : JoinPath(dir, name);
}

std::optional<std::string> ReadCacheFile(const std::string& path, size_t maxBytes) {
  std::vector<uint8_t> bytes;
  if (path.empty() || ReadRegularFile(path, maxBytes, bytes) != 0) return std::nullopt;
  return std::string(bytes.begin(), bytes.end());
}

int WriteCacheFile(const std::string& path, std::string_view bytes) {
  if (path.empty()) return ENOENT;
  const FileKind kind = KindOf(path);
  if (kind != FileKind::None && kind != FileKind::Regular) return EINVAL;
  if (const int err = MakeDirectories(DirectoryOf(path))) return err;
  return WriteWholeFile(path, bytes);
}

}  // namespace tv
