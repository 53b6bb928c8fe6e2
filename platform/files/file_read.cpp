#include "platform/files/file_read.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace tv {
namespace {

struct FdCloser {
  int fd;
  ~FdCloser() { ::close(fd); }
};

int Fail(std::vector<uint8_t>& bytes, int err) {
  bytes.clear();
  return err;
}

}  // namespace

int ReadRegularFile(const std::string& path, size_t maxBytes, std::vector<uint8_t>& bytes) {
  bytes.clear();
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
  if (fd < 0) return errno;
  FdCloser closer{fd};
  struct stat st {};
  if (::fstat(fd, &st) != 0) return errno;
  if (S_ISDIR(st.st_mode)) return EISDIR;
  if (!S_ISREG(st.st_mode)) return EINVAL;
  if (st.st_size < 0 || uint64_t(st.st_size) > maxBytes) return EFBIG;

  bytes.resize(size_t(st.st_size));
  size_t got = 0;
  while (got < bytes.size()) {
    const ssize_t n = ::read(fd, bytes.data() + got, bytes.size() - got);
    if (n < 0) {
      if (errno == EINTR) continue;
      return Fail(bytes, errno);
    }
    if (n == 0) break;  // the file shrank while we read it: taken as read
    got += size_t(n);
  }
  bytes.resize(got);
  return 0;
}

std::string ReadFailureText(int err) { return err == EINVAL ? "Not a regular file" : std::strerror(err); }

}  // namespace tv
