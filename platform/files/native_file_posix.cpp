#include "platform/files/native_file.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <ctime>
#include <limits>
#include <string>

namespace tv {

FileKind KindOf(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return FileKind::None;
  if (S_ISREG(st.st_mode)) return FileKind::Regular;
  return S_ISDIR(st.st_mode) ? FileKind::Directory : FileKind::Other;
}

ReadOnlyFile::~ReadOnlyFile() {
  if (fd_ >= 0) ::close(fd_);
}

int ReadOnlyFile::Open(const std::string& path) {
  if (fd_ >= 0) ::close(fd_);
  fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
  if (fd_ < 0) return errno;
  struct stat st {};
  int err = 0;
  if (::fstat(fd_, &st) != 0) err = errno;
  else if (S_ISDIR(st.st_mode)) err = EISDIR;
  else if (!S_ISREG(st.st_mode)) err = EINVAL;
  if (err) {
    ::close(fd_);
    fd_ = -1;
    return err;
  }
  size_ = st.st_size > 0 ? uint64_t(st.st_size) : 0;
  return 0;
}

int ReadOnlyFile::ReadAt(uint64_t offset, void* into, size_t n, size_t& got) const {
  got = 0;
  if (fd_ < 0) return EBADF;
  while (got < n) {
    const uint64_t at = offset + got;
    if (at > uint64_t(std::numeric_limits<off_t>::max())) return EINVAL;
    const ssize_t r = ::pread(fd_, static_cast<char*>(into) + got, n - got, off_t(at));
    if (r < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    if (r == 0) break;
    got += size_t(r);
  }
  return 0;
}

int WriteFileInPlace(const std::string& path, std::string_view bytes) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
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
  return error;
}

std::FILE* OpenForWriting(const std::string& path) { return std::fopen(path.c_str(), "wbe"); }

int RemoveFile(const std::string& path) { return std::remove(path.c_str()) == 0 ? 0 : errno; }

int ReplaceFile(const std::string& from, const std::string& to) {
  if (std::rename(from.c_str(), to.c_str()) != 0) return errno ? errno : EIO;
  return 0;
}

int SyncFile(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
  if (fd < 0) return errno;
  const int error = ::fsync(fd) == 0 ? 0 : errno;
  ::close(fd);
  return error == EINVAL ? 0 : error;
}

std::vector<FolderEntry> FolderEntries(const std::string& dir, std::string_view prefix) {
  std::vector<FolderEntry> entries;
  DIR* folder = ::opendir(dir.c_str());
  if (!folder) return entries;
  const time_t now = ::time(nullptr);
  while (const dirent* entry = ::readdir(folder)) {
    const std::string_view name = entry->d_name;
    struct stat st {};
    if (name == "." || name == ".." || !name.starts_with(prefix) ||
        ::fstatat(::dirfd(folder), entry->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0)
      continue;
    entries.push_back({std::string(name), int64_t(now) - int64_t(st.st_mtime)});
  }
  ::closedir(folder);
  return entries;
}

int ReadLink(const std::string& path, std::string& target) {
  // readlink says nothing of a path cut to its buffer: a full buffer is tried again twice as large.
  for (std::string buffer(256, '\0');; buffer.resize(buffer.size() * 2)) {
    const ssize_t n = ::readlink(path.c_str(), buffer.data(), buffer.size());
    if (n < 0) return errno;
    if (size_t(n) < buffer.size()) {
      target.assign(buffer.data(), size_t(n));
      return 0;
    }
  }
}

}  // namespace tv
