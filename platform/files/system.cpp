#include "platform/files/system.h"

#include <cstdlib>

namespace tv {

std::string DirectoryOf(const std::string& programPath) {
  const size_t slash = programPath.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return programPath.substr(0, slash);
}

std::string JoinPath(const std::string& dir, const std::string& name) { return dir + "/" + name; }

std::string UserDirectory(const char* xdgVariable, const char* homeFallback) {
  const char* xdg = std::getenv(xdgVariable);
  if (xdg && xdg[0] == '/') return JoinPath(xdg, "tarvolen");
  const char* home = std::getenv("HOME");
  if (!home || home[0] != '/') return "";
  return JoinPath(JoinPath(home, homeFallback), "tarvolen");
}

}  // namespace tv
