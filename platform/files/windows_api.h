#pragma once
// The one way into <windows.h>. Windows' headers define macros that collide
// with the game's own names (VK_* key codes in platform/base/types.h, the
// MCI_* commands and errors in platform/sound/media_control.h,
// Application::MessageBox), so they are kept out here, once. Included only by
// the Windows build's files (*_win32.* and platform/win32/), never by a header
// the portable code includes.
#ifndef _WIN32
#error "windows_api.h is the Windows build's alone"
#endif

#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOVIRTUALKEYCODES
#define NOVIRTUALKEYCODES
#endif
#ifndef MMNOMCI
#define MMNOMCI
#endif
#ifndef UNICODE
#define UNICODE
#endif
#ifndef _UNICODE
#define _UNICODE
#endif

#include <windows.h>
#include <mmsystem.h>

#undef MessageBox
#undef MCIERR_BASE
// tv::ReplaceFile (native_file.h) would otherwise become ReplaceFileW.
#undef ReplaceFile

#include <string>
#include <string_view>

namespace tv {

// The game's paths and texts are UTF-8; Windows' own calls take UTF-16.
// Converted at the call, never through the ANSI code page, so a player's
// folder with letters outside it still opens.
inline std::wstring Wide(std::string_view utf8) {
  if (utf8.empty()) return {};
  const int n = ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), int(utf8.size()), nullptr, 0);
  std::wstring out(size_t(n > 0 ? n : 0), L'\0');
  if (n > 0) ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), int(utf8.size()), out.data(), n);
  return out;
}

inline std::string Utf8(std::wstring_view wide) {
  if (wide.empty()) return {};
  const int n = ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), int(wide.size()), nullptr, 0, nullptr, nullptr);
  std::string out(size_t(n > 0 ? n : 0), '\0');
  if (n > 0) ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), int(wide.size()), out.data(), n, nullptr, nullptr);
  return out;
}

}  // namespace tv
