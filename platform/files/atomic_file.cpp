#include "platform/files/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

namespace tv {

AtomicFile::AtomicFile(std::string path) : path_(std::move(path)) {
  struct stat st {};
  if (::stat(path_.c_str(), &st) == 0 && !S_ISREG(st.st_mode)) {
    writePath_ = path_;
    return;
  }
  // The process id keeps two writers of one file apart.
  writePath_ = path_ + ".tmp" + std::to_string(::getpid());
  pending_ = true;
}

AtomicFile::~AtomicFile() {
  if (pending_) ::unlink(writePath_.c_str());
}

int AtomicFile::Commit() {
  if (!pending_) return 0;
  if (std::rename(writePath_.c_str(), path_.c_str()) != 0) return errno ? errno : EIO;
  pending_ = false;
  return 0;
}

int WriteWholeFile(const std::string& path, std::string_view bytes) {
  AtomicFile file(path);
  const int fd = ::open(file.WritePath().c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd < 0) return errno;
  int error = 0;
  for (size_t done = 0; done < bytes.size() && !error;) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n > 0) {
      done += size_t(n);
    } else if (n == 0 || errno != EINTR) {
      error = n == 0 ? EIO : errno;
    }
  }
  if (::close(fd) != 0 && !error) error = errno ? errno : EIO;
  return error ? error : file.Commit();
}

}  // namespace tv
