#include "platform/files/system.h"

#include <objbase.h>
#include <shellapi.h>
#include <shlobj.h>

#include <cerrno>
#include <cstdlib>
#include <mutex>

#include "platform/files/errno_win32.h"
#include "platform/files/windows_api.h"

namespace tv {
namespace {

// A path from Windows as the game writes paths: UTF-8 with forward slashes,
// which Windows' calls take as well, so the portable path rules (DirectoryOf,
// JoinPath) hold. A "\\?\" long-path prefix goes: it would not survive the slashes.
std::string GamePath(std::wstring_view wide) {
  std::string path;
  if (wide.starts_with(L"\\\\?\\UNC\\"))
    path = "//" + Utf8(wide.substr(8));  // \\?\UNC\server: //server
  else
    path = Utf8(wide.starts_with(L"\\\\?\\") ? wide.substr(4) : wide);
  for (char& c : path)
    if (c == '\\') c = '/';
  return path;
}

// A folder of the player's profile, joined with "Tarvolen"; the environment's
// when the shell cannot say (a service account, a broken profile).
std::string ProfileFolder(REFKNOWNFOLDERID id, const wchar_t* variable) {
  std::wstring folder;
  PWSTR known = nullptr;
  if (SUCCEEDED(::SHGetKnownFolderPath(id, KF_FLAG_DEFAULT, nullptr, &known)) && known) folder = known;
  ::CoTaskMemFree(known);
  if (folder.empty())
    if (const wchar_t* value = ::_wgetenv(variable)) folder = value;
  if (folder.empty()) return "";
  const std::string path = GamePath(folder);
  return JoinPath(path.ends_with('/') ? path.substr(0, path.size() - 1) : path, "Tarvolen");
}

// The variables the program set for itself alone, with the player's own
// values (SetForThisProgram), which the programs it starts get back.
struct OwnVariable {
  std::wstring name;
  std::wstring ours;
  std::optional<std::wstring> players;
};
std::vector<OwnVariable>& OwnVariables() {
  static std::vector<OwnVariable> own;
  return own;
}

}  // namespace

std::string ProgramDirectory() {
  // A long path does not fit MAX_PATH: the buffer grows until the name is whole.
  for (std::wstring buffer(MAX_PATH, L'\0');; buffer.resize(buffer.size() * 2)) {
    const DWORD n = ::GetModuleFileNameW(nullptr, buffer.data(), DWORD(buffer.size()));
    if (n == 0) return ".";
    if (n < buffer.size()) {
      std::string dir = DirectoryOf(GamePath(std::wstring_view(buffer.data(), n)));
      if (dir.size() == 2 && dir[1] == ':') dir += '/';  // "C:" alone is the drive's current folder
      return dir;
    }
    if (buffer.size() > 32768) return ".";  // past the longest path Windows has
  }
}

std::string SettingsDirectory() { return ProfileFolder(FOLDERID_RoamingAppData, L"APPDATA"); }
std::string CacheDirectory() { return ProfileFolder(FOLDERID_LocalAppData, L"LOCALAPPDATA"); }

std::vector<std::string> ProgramArguments(int argc, char** argv) {
  int n = 0;
  wchar_t** wide = ::CommandLineToArgvW(::GetCommandLineW(), &n);
  if (!wide) return argc > 0 ? std::vector<std::string>(argv, argv + argc) : std::vector<std::string>{};
  std::vector<std::string> args;
  for (int i = 0; i < n; ++i)
    args.push_back(Utf8(wide[i]));
  ::LocalFree(wide);
  return args;
}

std::optional<std::string> EnvironmentVariable(const char* name) {
  const wchar_t* value = ::_wgetenv(Wide(name).c_str());
  return value ? std::optional<std::string>(Utf8(value)) : std::nullopt;
}

int ProcessId() { return int(::GetCurrentProcessId()); }

int MakeDirectories(const std::string& dir) {
  if (dir.empty()) return ENOENT;
  const DWORD attributes = ::GetFileAttributesW(Wide(dir).c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES) return attributes & FILE_ATTRIBUTE_DIRECTORY ? 0 : ENOTDIR;
  const size_t slash = dir.find_last_of("/\\");
  if (slash != std::string::npos && slash > 0) {
    const std::string parent = dir.substr(0, slash);
    // "C:" is no folder to make; a UNC share ("//server") is none either.
    const bool root = (parent.size() == 2 && parent[1] == ':') || parent.find_first_not_of("/\\") == 2;
    if (!root)
      if (int err = MakeDirectories(parent)) return err;
  }
  // The new folder takes its parent's access rules: under the profile, the player's alone.
  if (!::CreateDirectoryW(Wide(dir).c_str(), nullptr) && ::GetLastError() != ERROR_ALREADY_EXISTS)
    return LastErrno();
  return 0;
}

void SetForThisProgram(const char* name, const char* value, bool overwrite) {
  const std::wstring wideName = Wide(name), wideValue = Wide(value);
  const wchar_t* players = ::_wgetenv(wideName.c_str());
  if (players && !overwrite) return;
  OwnVariables().push_back(
      {wideName, wideValue, players ? std::optional<std::wstring>(players) : std::nullopt});
  // The CRT keeps its own copy for getenv; Windows' copy is what a started program inherits.
  ::_wputenv_s(wideName.c_str(), wideValue.c_str());
  ::SetEnvironmentVariableW(wideName.c_str(), wideValue.c_str());
}

void ShellOpen(const std::string& target) {
  // Windows' own copy of the environment goes back to the player's while the
  // browser starts (the CRT's copy, which getenv reads, stays ours).
  static std::mutex opening;
  const std::lock_guard lock(opening);
  for (const OwnVariable& v : OwnVariables())
    ::SetEnvironmentVariableW(v.name.c_str(), v.players ? v.players->c_str() : nullptr);
  // The shell may hand the address to a COM server; the call wants COM on this thread.
  const HRESULT com = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
  // "open" on the address itself: no command line is made, so nothing in it is interpreted.
  ::ShellExecuteW(nullptr, L"open", Wide(target).c_str(), nullptr, nullptr, SW_SHOWNORMAL);
  if (SUCCEEDED(com)) ::CoUninitialize();
  for (const OwnVariable& v : OwnVariables())
    ::SetEnvironmentVariableW(v.name.c_str(), v.ours.c_str());
}

}  // namespace tv
