#pragma once
#include <sys/types.h>

#include <optional>
#include <string>
#include <vector>

#include "tests/e2e/x11_driver.h"

// Child processes for the end-to-end driver: started without a shell,
// waited for with a bound, killed for sure.
namespace tv::e2e {

struct SpawnOptions {
  std::vector<std::string> argv;     // argv[0] is looked up on PATH when it has no '/'
  std::vector<std::string> env;      // "NAME=value" each
  std::string stdoutPath = "/dev/null";
  std::string stderrPath = "/dev/null";
};

// Throws std::runtime_error when the program cannot be started.
pid_t Spawn(const SpawnOptions& options);
// Reaps the child; nothing while it still runs after `timeout`.
std::optional<ExitStatus> WaitChild(pid_t pid, Ms timeout);
// SIGTERM, a short grace, then SIGKILL; always reaps.
void StopChild(pid_t pid, Ms grace);
// User plus system time from a /proc/<pid>/stat or /proc/<pid>/task/<tid>/stat file.
double CpuSecondsOf(const std::string& statPath);
std::string ReadWholeFile(const std::string& path);

}  // namespace tv::e2e
