#include "platform/files/system.h"

#include <cerrno>

#include "platform/files/native_file.h"

namespace tv {

std::string DirectoryOf(const std::string& programPath) {
  const size_t slash = programPath.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return programPath.substr(0, slash);
}

std::string JoinPath(const std::string& dir, const std::string& name) { return dir + "/" + name; }

int FollowLinks(const std::string& path, std::string& file) {
  constexpr int kMaxLinks = 40;  // Linux's own limit in one path
  file = path;
  for (int links = 0;; ++links) {
    std::string target;
    if (ReadLink(file, target) != 0) return 0;  // no link (or none readable): the write says the rest
    if (links == kMaxLinks) return ELOOP;
    file = target.starts_with('/') ? target : JoinPath(DirectoryOf(file), target);
  }
}

}  // namespace tv
