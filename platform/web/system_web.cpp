// The page's own answers to the system's questions: its files lie in the
// page's file system, packed by the build (/tarvolen), the player's settings
// in the browser's storage (/settings, kept by the page), no cache, no
// processes; the link opens in a new tab.
#include <cstdlib>

#include "platform/files/system.h"
#include "platform/web/web_page.h"

namespace tv {

std::string ProgramDirectory() { return "/tarvolen"; }
std::string SettingsDirectory() { return "/settings/tarvolen"; }
// Nothing the page could keep is worth the browser's storage.
std::string CacheDirectory() { return ""; }

std::vector<std::string> ProgramArguments(int argc, char** argv) {
  return argc > 0 ? std::vector<std::string>(argv, argv + argc) : std::vector<std::string>{};
}

std::optional<std::string> EnvironmentVariable(const char* name) {
  const char* value = std::getenv(name);
  return value ? std::optional<std::string>(value) : std::nullopt;
}

int ProcessId() { return 1; }

void SetForThisProgram(const char* name, const char* value, bool overwrite) { setenv(name, value, overwrite); }

void ShellOpen(const std::string& target) { page::OpenInNewTab(target); }

}  // namespace tv
