#include "platform/files/system.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <vector>

namespace tv {

std::string DirectoryOf(const std::string& programPath) {
  const size_t slash = programPath.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return programPath.substr(0, slash);
}

std::string ProgramDirectory() {
  char buf[PATH_MAX];
  const ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
  if (n <= 0) return ".";
  return DirectoryOf(std::string(buf, size_t(n)));
}

std::string JoinPath(const std::string& dir, const std::string& name) { return dir + "/" + name; }

namespace {

// The first xdg-open on PATH; found before forking, where lookups are not safe.
std::string FindOnPath(const char* name) {
  const char* path = std::getenv("PATH");
  std::string dirs = path ? path : "/usr/local/bin:/usr/bin:/bin";
  size_t start = 0;
  while (start <= dirs.size()) {
    size_t end = dirs.find(':', start);
    if (end == std::string::npos) end = dirs.size();
    std::string candidate = dirs.substr(start, end - start) + "/" + name;
    if (access(candidate.c_str(), X_OK) == 0) return candidate;
    start = end + 1;
  }
  return {};
}

}  // namespace

void ShellOpen(const std::string& target) {
  const std::string program = FindOnPath("xdg-open");
  if (program.empty()) return;
  std::vector<char*> argv = {const_cast<char*>(program.c_str()), const_cast<char*>(target.c_str()), nullptr};
  // Double fork: the opener may run as long as the browser does, and must
  // neither hold up the game nor be left a zombie.
  const pid_t child = fork();
  if (child < 0) return;
  if (child == 0) {
    if (fork() == 0) {
      const int null = open("/dev/null", O_RDWR);
      if (null >= 0) {
        dup2(null, 0);
        dup2(null, 1);
        dup2(null, 2);
      }
      execv(argv[0], argv.data());
      _exit(127);
    }
    _exit(0);
  }
  int status = 0;
  while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
}

}  // namespace tv
