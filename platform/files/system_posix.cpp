#include "platform/files/system.h"

#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <optional>
#include <vector>

namespace tv {

std::string ProgramDirectory() {
  char buf[PATH_MAX];
  const ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
  if (n <= 0) return ".";
  return DirectoryOf(std::string(buf, size_t(n)));
}

namespace {

// A directory of the player's own under the XDG base-directory rules:
// $`xdgVariable` when it names an absolute path, else $HOME/`homeFallback`,
// joined with "tarvolen". Empty when neither is set.
std::string UserDirectory(const char* xdgVariable, const char* homeFallback) {
  const char* xdg = std::getenv(xdgVariable);
  if (xdg && xdg[0] == '/') return JoinPath(xdg, "tarvolen");
  const char* home = std::getenv("HOME");
  if (!home || home[0] != '/') return "";
  return JoinPath(JoinPath(home, homeFallback), "tarvolen");
}

}  // namespace

std::string SettingsDirectory() { return UserDirectory("XDG_CONFIG_HOME", ".config"); }
std::string CacheDirectory() { return UserDirectory("XDG_CACHE_HOME", ".cache"); }

std::vector<std::string> ProgramArguments(int argc, char** argv) {
  return argc > 0 ? std::vector<std::string>(argv, argv + argc) : std::vector<std::string>{};
}

std::optional<std::string> EnvironmentVariable(const char* name) {
  const char* value = std::getenv(name);
  return value ? std::optional<std::string>(value) : std::nullopt;
}

int ProcessId() { return int(::getpid()); }

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

// The variables the program set for itself alone, with the player's own
// values (SetForThisProgram).
struct OwnVariable {
  std::string name;
  std::optional<std::string> players;
};
std::vector<OwnVariable>& OwnVariables() {
  static std::vector<OwnVariable> own;
  return own;
}

// The player's environment, as the program found it: made before forking,
// where allocating is not safe.
std::vector<std::string> ChildEnvironment() {
  std::vector<std::string> env;
  for (char** e = environ; e && *e; ++e) {
    const std::string entry = *e;
    bool own = false;
    for (const OwnVariable& v : OwnVariables()) own = own || entry.rfind(v.name + "=", 0) == 0;
    if (!own) env.push_back(entry);
  }
  for (const OwnVariable& v : OwnVariables())
    if (v.players) env.push_back(v.name + "=" + *v.players);
  return env;
}

// In the child between fork and exec: async-signal-safe calls only. Every
// descriptor above the standard three goes, whoever opened it and however
// (a library's own files are not close-on-exec).
void CloseInheritedDescriptors() {
  if (close_range(3, ~0U, 0) == 0) return;
  // A kernel before 5.9: each number up to the limit.
  struct rlimit limit {};
  const rlim_t end =
      getrlimit(RLIMIT_NOFILE, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY ? limit.rlim_cur : 65536;
  for (rlim_t fd = 3; fd < end; ++fd) close(int(fd));
}

}  // namespace

void SetForThisProgram(const char* name, const char* value, bool overwrite) {
  const char* players = std::getenv(name);
  if (players && !overwrite) return;
  OwnVariables().push_back({name, players ? std::optional<std::string>(players) : std::nullopt});
  setenv(name, value, 1);
}

void ShellOpen(const std::string& target) {
  const std::string program = FindOnPath("xdg-open");
  if (program.empty()) return;
  std::vector<char*> argv = {const_cast<char*>(program.c_str()), const_cast<char*>(target.c_str()), nullptr};
  std::vector<std::string> env = ChildEnvironment();
  std::vector<char*> envp;
  for (std::string& entry : env) envp.push_back(entry.data());
  envp.push_back(nullptr);
  // Double fork: the opener may run as long as the browser does, and must
  // neither hold up the game nor be left a zombie.
  const pid_t child = fork();
  if (child < 0) return;
  if (child == 0) {
    if (fork() == 0) {
      // Not close-on-exec: with a standard stream closed it may itself be 0, 1 or 2,
      // which dup2 would leave flagged; the original above 2 is closed below.
      const int null = open("/dev/null", O_RDWR);
      if (null >= 0) {
        dup2(null, 0);
        dup2(null, 1);
        dup2(null, 2);
        if (null > 2) close(null);
      }
      CloseInheritedDescriptors();
      execve(argv[0], argv.data(), envp.data());
      _exit(127);
    }
    _exit(0);
  }
  int status = 0;
  while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
}

}  // namespace tv
