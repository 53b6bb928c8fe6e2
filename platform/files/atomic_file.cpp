#include "platform/files/atomic_file.h"

#include <cstdio>

#include "platform/files/native_file.h"
#include "platform/files/system.h"

namespace tv {

AtomicFile::AtomicFile(std::string path) : path_(std::move(path)) {
  const FileKind kind = KindOf(path_);
  if (kind != FileKind::None && kind != FileKind::Regular) {
    writePath_ = path_;
    return;
  }
  // The process id keeps two writers of one file apart.
  writePath_ = path_ + ".tmp" + std::to_string(ProcessId());
  pending_ = true;
}

AtomicFile::~AtomicFile() {
  if (pending_) std::remove(writePath_.c_str());
}

int AtomicFile::Commit() {
  if (!pending_) return 0;
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
