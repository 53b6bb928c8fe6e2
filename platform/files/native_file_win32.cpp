#include "platform/files/native_file.h"

#include <fcntl.h>
#include <io.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <limits>
#include <string>

#include "platform/files/errno_win32.h"
#include "platform/files/windows_api.h"

namespace tv {
namespace {

// Others may read, write, rename or delete a file the game holds open, as on
// Linux: an atomic save over a file being read must not fail for it.
constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// The device namespace (\\.\pipe\..., \\.\COM1): opened only to be refused, never looked into.
bool IsDevicePath(const std::string& path) {
  return path.size() >= 4 && (path[0] == '\\' || path[0] == '/') && (path[1] == '\\' || path[1] == '/') &&
         path[2] == '.' && (path[3] == '\\' || path[3] == '/');
}

// Opened for nothing but a look at what it is: no read, no write, no wait.
HANDLE OpenToLookAt(const std::string& path) {
  return ::CreateFileW(Wide(path).c_str(), 0, kShareAll, nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS,
                       nullptr);
}

}  // namespace

FileKind KindOf(const std::string& path) {
  const DWORD attributes = ::GetFileAttributesW(Wide(path).c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return IsDevicePath(path) ? FileKind::Other : FileKind::None;
  if (attributes & FILE_ATTRIBUTE_DIRECTORY) return FileKind::Directory;
  if ((attributes & FILE_ATTRIBUTE_DEVICE) || IsDevicePath(path)) return FileKind::Other;
  // NUL, CON and their like answer with a file's attributes in any folder.
  const HANDLE h = OpenToLookAt(path);
  if (h == INVALID_HANDLE_VALUE) return FileKind::Regular;
  const DWORD type = ::GetFileType(h);
  ::CloseHandle(h);
  return type == FILE_TYPE_DISK ? FileKind::Regular : FileKind::Other;
}

ReadOnlyFile::~ReadOnlyFile() {
  if (fd_ >= 0) ::_close(fd_);
}

int ReadOnlyFile::Open(const std::string& path) {
  if (fd_ >= 0) ::_close(fd_);
  fd_ = -1;
  if (IsDevicePath(path)) return EINVAL;
  // Backup semantics lets a directory open, so that it is told apart from a file the player may not read.
  const HANDLE h = ::CreateFileW(Wide(path).c_str(), GENERIC_READ, kShareAll, nullptr, OPEN_EXISTING,
                                 FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (h == INVALID_HANDLE_VALUE) return LastErrno();
  BY_HANDLE_FILE_INFORMATION info{};
  int err = 0;
  if (::GetFileType(h) != FILE_TYPE_DISK)
    err = EINVAL;
  else if (!::GetFileInformationByHandle(h, &info))
    err = LastErrno();
  else if (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
    err = EISDIR;
  if (!err) {
    // The handle's owner from here on is the descriptor (its close closes the handle).
    fd_ = ::_open_osfhandle(intptr_t(h), _O_RDONLY | _O_BINARY);
    if (fd_ < 0) err = EMFILE;
  }
  if (err) {
    ::CloseHandle(h);
    return err;
  }
  size_ = uint64_t(info.nFileSizeHigh) << 32 | info.nFileSizeLow;
  return 0;
}

int ReadOnlyFile::ReadAt(uint64_t offset, void* into, size_t n, size_t& got) const {
  got = 0;
  if (fd_ < 0) return EBADF;
  const HANDLE h = HANDLE(::_get_osfhandle(fd_));
  while (got < n) {
    const uint64_t at = offset + got;
    if (at > uint64_t(std::numeric_limits<int64_t>::max())) return EINVAL;
    // The offset travels with the call, as pread's does: no shared file position to race on.
    OVERLAPPED where{};
    where.Offset = DWORD(at);
    where.OffsetHigh = DWORD(at >> 32);
    const DWORD want = DWORD(std::min<size_t>(n - got, 1u << 30));
    DWORD read = 0;
    if (!::ReadFile(h, static_cast<char*>(into) + got, want, &read, &where)) {
      if (::GetLastError() == ERROR_HANDLE_EOF) break;
      return LastErrno();
    }
    if (read == 0) break;
    got += read;
  }
  return 0;
}

int WriteFileInPlace(const std::string& path, std::string_view bytes) {
  const HANDLE h = ::CreateFileW(Wide(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE,
                                 nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return LastErrno();
  int error = 0;
  for (size_t done = 0; done < bytes.size() && !error;) {
    const DWORD want = DWORD(std::min<size_t>(bytes.size() - done, 1u << 30));
    DWORD wrote = 0;
    if (!::WriteFile(h, bytes.data() + done, want, &wrote, nullptr))
      error = LastErrno();
    else if (wrote == 0)
      error = EIO;
    done += wrote;
  }
  if (!::CloseHandle(h) && !error) error = LastErrno();
  return error;
}

std::FILE* OpenForWriting(const std::string& path) {
  // Made with Windows' own call, whose handles are not inherited, rather than
  // with a CRT mode letter an older msvcrt.dll may not know.
  const HANDLE h = ::CreateFileW(Wide(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE,
                                 nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    errno = LastErrno();
    return nullptr;
  }
  const int fd = ::_open_osfhandle(intptr_t(h), _O_WRONLY | _O_BINARY);
  if (fd < 0) {
    ::CloseHandle(h);
    errno = EMFILE;
    return nullptr;
  }
  std::FILE* file = ::_fdopen(fd, "wb");
  if (!file) ::_close(fd);
  return file;
}

int RemoveFile(const std::string& path) { return ::DeleteFileW(Wide(path).c_str()) ? 0 : LastErrno(); }

int ReplaceFile(const std::string& from, const std::string& to) {
  // rename() on Windows refuses an existing target; this replaces it in one step.
  if (!::MoveFileExW(Wide(from).c_str(), Wide(to).c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
    return LastErrno();
  return 0;
}

int SyncFile(const std::string& path) {
  // FlushFileBuffers wants a handle open for writing.
  const HANDLE h = ::CreateFileW(Wide(path).c_str(), GENERIC_WRITE, kShareAll, nullptr, OPEN_EXISTING,
                                 FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return LastErrno();
  const int error = ::FlushFileBuffers(h) ? 0 : LastErrno();
  ::CloseHandle(h);
  return error == EINVAL ? 0 : error;
}

std::vector<FolderEntry> FolderEntries(const std::string& dir, std::string_view prefix) {
  std::vector<FolderEntry> entries;
  WIN32_FIND_DATAW found{};
  const HANDLE search = ::FindFirstFileExW(Wide(dir + "/*").c_str(), FindExInfoBasic, &found,
                                           FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH);
  if (search == INVALID_HANDLE_VALUE) return entries;
  FILETIME nowTime{};
  ::GetSystemTimeAsFileTime(&nowTime);
  const auto ticks = [](const FILETIME& t) {
    return int64_t(uint64_t(t.dwHighDateTime) << 32 | t.dwLowDateTime);
  };
  constexpr int64_t kTicksPerSecond = 10'000'000;  // FILETIME counts 100 ns
  do {
    const std::string name = Utf8(found.cFileName);
    if (name == "." || name == ".." || !name.starts_with(prefix)) continue;
    // Whole seconds, rounded down as on Linux, where the times are whole seconds already.
    const int64_t now = ticks(nowTime) / kTicksPerSecond,
                  written = ticks(found.ftLastWriteTime) / kTicksPerSecond;
    entries.push_back({name, now - written});
  } while (::FindNextFileW(search, &found));
  ::FindClose(search);
  return entries;
}

int ReadLink(const std::string& path, std::string&) {
  // The game follows no links on Windows: every path that is there is "no link".
  if (::GetFileAttributesW(Wide(path).c_str()) == INVALID_FILE_ATTRIBUTES) return LastErrno();
  return EINVAL;
}

}  // namespace tv
