#include "platform/files/late_library.h"

#include "platform/files/windows_api.h"

namespace tv {
namespace {

// The loader's own words for `error`, without the line end and full stop
// Windows puts after them (Ready adds its own punctuation).
std::string SystemText(DWORD error) {
  wchar_t* text = nullptr;
  const DWORD n = ::FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
      error, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  std::string why = n && text ? Utf8(std::wstring_view(text, n)) : "error " + std::to_string(error);
  ::LocalFree(text);
  while (!why.empty() && (why.back() == '\n' || why.back() == '\r' || why.back() == ' ' || why.back() == '.'))
    why.pop_back();
  return why;
}

}  // namespace

LateLibrary::LateLibrary(std::initializer_list<const char*> sonames) {
  std::string first;
  for (const char* name : sonames) {
    // Only the system's own folder: a DLL of that name planted beside the
    // program or in the working folder is never loaded instead.
    if ((handle_ = ::LoadLibraryExW(Wide(name).c_str(), nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32))) return;
    // The first name is the one the system provides: its reason says most.
    if (first.empty()) first = std::string(name) + ": " + SystemText(::GetLastError());
  }
  failure_ = first;
}

void* LateLibrary::Symbol(const char* name) {
  if (!handle_) return nullptr;
  void* symbol = reinterpret_cast<void*>(::GetProcAddress(static_cast<HMODULE>(handle_), name));
  if (!symbol && failure_.empty()) failure_ = std::string(name) + ": " + SystemText(::GetLastError());
  return symbol;
}

}  // namespace tv
