#include "platform/files/file_read.h"

#include <cerrno>
#include <cstring>

#include "platform/files/native_file.h"

namespace tv {

int ReadRegularFile(const std::string& path, size_t maxBytes, std::vector<uint8_t>& bytes) {
  bytes.clear();
  ReadOnlyFile file;
  if (const int err = file.Open(path)) return err;
  if (file.Size() > maxBytes) return EFBIG;
  bytes.resize(size_t(file.Size()));
  size_t got = 0;
  if (const int err = file.ReadAt(0, bytes.data(), bytes.size(), got)) {
    bytes.clear();
    return err;
  }
  bytes.resize(got);  // the file shrank while it was read: taken as read
  return 0;
}

std::string ReadFailureText(int err) { return err == EINVAL ? "Not a regular file" : std::strerror(err); }

}  // namespace tv
