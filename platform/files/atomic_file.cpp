#include "platform/files/atomic_file.h"

#include <cstdint>
#include <cstdio>
#include <string_view>

#include "platform/files/native_file.h"
#include "platform/files/system.h"

namespace tv {
namespace {

// A writer killed between its write and its rename leaves its temporary file
// for good; the next writer of the file removes those a minute old, never a
// younger one, which another copy of the program may be writing now
// (AtomicFile.TheNextWriteRemovesOnlyTheFilesTemporariesLeftOverAMinuteAgo).
void RemoveLeftovers(const std::string& path) {
  constexpr int64_t kLeftSeconds = 60;
  const std::string dir = DirectoryOf(path), prefix = path.substr(path.find_last_of('/') + 1) + ".tmp";
  for (const FolderEntry& entry : FolderEntries(dir, prefix)) {
    const std::string_view pid = std::string_view(entry.name).substr(prefix.size());
    if (entry.secondsOld > kLeftSeconds && !pid.empty() && pid.find_first_not_of("0123456789") == pid.npos)
      RemoveFile(JoinPath(dir, entry.name));
  }
}

}  // namespace

AtomicFile::AtomicFile(std::string path) : path_(std::move(path)) {
  const FileKind kind = KindOf(path_);
  if (kind != FileKind::None && kind != FileKind::Regular) {
    writePath_ = path_;
    return;
  }
  // The process id keeps two writers of one file apart.
  writePath_ = path_ + ".tmp" + std::to_string(ProcessId());
  pending_ = true;
  RemoveLeftovers(path_);
}

AtomicFile::~AtomicFile() {
  if (pending_) RemoveFile(writePath_);
}

int AtomicFile::Commit() {
  if (!pending_) return 0;
  // The bytes reach the disk before the name: after a power cut a file system
  // that does not order the two itself (ext4 does, for a rename over a file)
  // could leave an empty file where the old one was.
  if (const int err = SyncFile(writePath_)) return err;
  if (const int err = ReplaceFile(writePath_, path_)) return err;
  pending_ = false;
  return 0;
}

int WriteWholeFile(const std::string& path, std::string_view bytes) {
  AtomicFile file(path);
  const int error = WriteFileInPlace(file.WritePath(), bytes);
  return error ? error : file.Commit();
}

}  // namespace tv
