#pragma once
#include <optional>
#include <string>
#include <vector>

// The rules for paths and the player's folders are the same on every system
// (system.cpp); what asks the system itself is in system_posix.cpp, so that
// another system's file can stand beside it.
namespace tv {

// The directory that holds the program file (links resolved); the root keeps its separator.
std::string ProgramDirectory();
// The directory part of a program path, as ProgramDirectory() forms it.
std::string DirectoryOf(const std::string& programPath);
// A data file beside the program: the directory, "/", and the name.
std::string JoinPath(const std::string& dir, const std::string& name);
// The file a write to `path` replaces so that a link there stays a link:
// `path` followed through its links (each relative one from its own folder) to
// the first that is none, which need not exist yet. 0, or ELOOP past as many
// links as the system follows itself.
int FollowLinks(const std::string& path, std::string& file);

// The player's own folders for this program, without a trailing separator:
// on Linux under the XDG base-directory rules ($XDG_CONFIG_HOME/tarvolen, else
// ~/.config/tarvolen; $XDG_CACHE_HOME/tarvolen, else ~/.cache/tarvolen, a
// variable counting only when it names an absolute path), on Windows
// %APPDATA%\Tarvolen and %LOCALAPPDATA%\Tarvolen. Empty when the system names
// none (no HOME), and then nothing is kept.
std::string SettingsDirectory();
std::string CacheDirectory();
// The program's arguments, argv[0] first, as UTF-8: on Linux as given, on
// Windows from the wide command line (argv there is in the ANSI code page,
// which cannot hold every file name).
std::vector<std::string> ProgramArguments(int argc, char** argv);
// The environment variable `name`, as UTF-8; nothing when it is not set.
std::optional<std::string> EnvironmentVariable(const char* name);

// This process's number: two copies of the game writing one file keep apart by it.
int ProcessId();

// Makes `dir` and its missing parents, new ones private to the player (0700):
// 0, or the error number of the step that failed.
int MakeDirectories(const std::string& dir);

// Sets the environment variable `name` to `value` for this program alone
// (unless `overwrite` is false and the player has set it): the programs it
// starts (the link's browser) get the player's own value, or none. Called
// before any other thread starts, as setenv is.
void SetForThisProgram(const char* name, const char* value, bool overwrite = true);

// Opens `target` (the maker's web address) in the player's browser with
// xdg-open, started without a shell so nothing in the string is interpreted,
// in the player's environment (SetForThisProgram).
// The outcome is not reported; the child is reaped.
void ShellOpen(const std::string& target);

}  // namespace tv
