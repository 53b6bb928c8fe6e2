// Folders made as POSIX makes them: the Linux program's and the page's
// (whose file system is emscripten's POSIX one).
#include <sys/stat.h>

#include <cerrno>

#include "platform/files/system.h"

namespace tv {

int MakeDirectories(const std::string& dir) {
  if (dir.empty()) return ENOENT;
  struct stat st;
  if (stat(dir.c_str(), &st) == 0) return S_ISDIR(st.st_mode) ? 0 : ENOTDIR;
  const size_t slash = dir.find_last_of('/');
  if (slash != std::string::npos && slash > 0)
    if (int err = MakeDirectories(dir.substr(0, slash))) return err;
  if (mkdir(dir.c_str(), 0700) != 0 && errno != EEXIST) return errno;
  return 0;
}

}  // namespace tv
