#pragma once
#include <string>
#include <string_view>

namespace tv {

// A file written under a temporary name beside its place and renamed into it
// once whole: a reader (the game, the next build step) never meets half a
// file, and a write that fails or is interrupted leaves what was there. The
// bytes are on the disk before the rename, and temporary files a killed writer
// left beside the file are removed by its next write once a minute old. A path
// that exists and is not a regular file (a device, a pipe) is written in
// place: renaming over it would replace the device itself.
class AtomicFile {
 public:
  explicit AtomicFile(std::string path);
  // The temporary file goes unless it was committed.
  ~AtomicFile();
  AtomicFile(const AtomicFile&) = delete;
  AtomicFile& operator=(const AtomicFile&) = delete;

  // Where the writer writes now.
  const std::string& WritePath() const { return writePath_; }
  // Puts the written file in its place: 0, or the error number of the sync or
  // the rename.
  int Commit();

 private:
  std::string path_;
  std::string writePath_;
  bool pending_ = false;  // a temporary file may be left to remove
};

// Writes all of `bytes` to `path` that way: 0, or the error number of the
// step that failed.
int WriteWholeFile(const std::string& path, std::string_view bytes);

}  // namespace tv
