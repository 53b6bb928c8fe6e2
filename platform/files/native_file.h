#pragma once
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

// The system's own file calls, behind one header: every other file of the
// program reads and writes through these or through the readers and writers
// made of them, so another system needs only its own file beside
// native_file_posix.cpp.
namespace tv {

// What a path names, links followed. A path that cannot be looked at counts
// as nothing there.
enum class FileKind { None, Regular, Directory, Other };
FileKind KindOf(const std::string& path);

// A regular file open for reading at any offset. Opened without blocking and
// checked before a byte is read, so a named pipe, a device or a directory in
// a file's place fails at once instead of hanging the game (a pipe with no
// writer would wait for one).
class ReadOnlyFile {
 public:
  ReadOnlyFile() = default;
  ~ReadOnlyFile();
  ReadOnlyFile(const ReadOnlyFile&) = delete;
  ReadOnlyFile& operator=(const ReadOnlyFile&) = delete;

  // 0, or the error number that says why not: the open's own, EISDIR for a
  // directory, EINVAL for a pipe, socket or device. Not inherited by the
  // programs this one starts.
  int Open(const std::string& path);
  // The file's size when it was opened.
  uint64_t Size() const { return size_; }
  // Reads `n` bytes from `offset` into `into`, fewer only where the file
  // ends; `got` says how many. 0, or the error number of a read that failed.
  int ReadAt(uint64_t offset, void* into, size_t n, size_t& got) const;

 private:
  int fd_ = -1;
  uint64_t size_ = 0;
};

// Writes `bytes` straight into the file at `path`, made (readable by all, as
// the umask allows) or emptied first, not inherited by the programs this one
// starts: 0, or the error number of the open, a write or the close (a full
// disk often shows only at the close).
int WriteFileInPlace(const std::string& path, std::string_view bytes);

// The file at `path` made or emptied and opened for writing through stdio, in
// binary (Windows would otherwise turn "\n" into "\r\n"), not inherited by
// the programs this one starts; null with errno set when it cannot be.
std::FILE* OpenForWriting(const std::string& path);

// Removes the file at `path`: 0, or the error number.
int RemoveFile(const std::string& path);

// Puts the file `from` in the place of `to` in one step, replacing what is
// there: 0, or the error number.
int ReplaceFile(const std::string& from, const std::string& to);

// Puts the written bytes of the file at `path` on the disk before returning:
// 0, or the error number (a file system that cannot sync counts as synced).
int SyncFile(const std::string& path);

// A folder's entry, and how many whole seconds ago it was last written (a
// link's own time, not its file's).
struct FolderEntry {
  std::string name;
  int64_t secondsOld = 0;
};
// The entries of the folder `dir` whose names start with `prefix`, "." and
// ".." aside; none when the folder cannot be read.
std::vector<FolderEntry> FolderEntries(const std::string& dir, std::string_view prefix);

// The path the symbolic link at `path` holds, as written in it (a relative one
// is relative to the link's folder): 0, EINVAL when `path` is no link, or the
// error number.
int ReadLink(const std::string& path, std::string& target);

}  // namespace tv
