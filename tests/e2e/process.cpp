#include "tests/e2e/process.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>

namespace tv::e2e {

pid_t Spawn(const SpawnOptions& o) {
  std::vector<char*> argv, env;
  for (const auto& a : o.argv) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  for (const auto& e : o.env) env.push_back(const_cast<char*>(e.c_str()));
  env.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, o.stdoutPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_addopen(&actions, 2, o.stderrPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawnattr_t attr;
  posix_spawnattr_init(&attr);
  // Its own process group, so a stray terminal signal for the test does not reach it twice.
  posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETPGROUP);
  posix_spawnattr_setpgroup(&attr, 0);
  pid_t pid = -1;
  int rc = posix_spawnp(&pid, argv[0], &actions, &attr, argv.data(), env.data());
  posix_spawn_file_actions_destroy(&actions);
  posix_spawnattr_destroy(&attr);
  if (rc != 0) throw std::runtime_error("cannot start " + o.argv[0] + ": " + std::strerror(rc));
  return pid;
}

std::optional<ExitStatus> WaitChild(pid_t pid, Ms timeout) {
  std::optional<ExitStatus> result;
  WaitUntil(
      [&] {
        int status = 0;
        pid_t r = waitpid(pid, &status, WNOHANG);
        if (r == 0) return false;
        ExitStatus s;
        if (r == pid && WIFEXITED(status)) s.exited = true, s.code = WEXITSTATUS(status);
        if (r == pid && WIFSIGNALED(status)) s.signal = WTERMSIG(status);
        result = s;
        return true;
      },
      timeout, 5ms);
  return result;
}

void StopChild(pid_t pid, Ms grace) {
  if (pid <= 0) return;
  kill(pid, SIGTERM);
  if (WaitChild(pid, grace)) return;
  kill(pid, SIGKILL);
  WaitChild(pid, 10s);
}

double CpuSecondsOf(const std::string& statPath) {
  std::string stat = ReadWholeFile(statPath);
  // The command name may hold spaces and parentheses: count fields after the last ')'.
  size_t close = stat.rfind(')');
  if (close == std::string::npos) return -1;
  std::istringstream in(stat.substr(close + 2));
  std::string field;
  unsigned long long utime = 0, stime = 0;
  // Fields 3..13 come first; utime and stime are fields 14 and 15.
  for (int i = 3; i <= 13 && in >> field; ++i) {
  }
  in >> utime >> stime;
  return double(utime + stime) / double(sysconf(_SC_CLK_TCK));
}

std::string ReadWholeFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

}  // namespace tv::e2e
