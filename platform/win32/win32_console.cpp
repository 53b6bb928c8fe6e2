#include "platform/win32/win32_console.h"

#include <cstdio>
#include <io.h>

#include "platform/files/windows_api.h"

namespace tv {
namespace {

// A stream the starter gave us: a file, a pipe, or a console already ours.
bool Given(DWORD which) {
  HANDLE h = GetStdHandle(which);
  return h && h != INVALID_HANDLE_VALUE && GetFileType(h) != FILE_TYPE_UNKNOWN;
}

void ToConsole(FILE* stream, DWORD which) {
  FILE* reopened = nullptr;
  if (freopen_s(&reopened, "CONOUT$", "w", stream) != 0) return;
  // Windows' C library has no line buffering: the error stream unbuffered, as
  // C has it, so a line is never held back while the game runs; the output
  // buffered whole, which main flushes after each thing it prints.
  if (stream == stderr)
    setvbuf(stream, nullptr, _IONBF, 0);
  else
    setvbuf(stream, nullptr, _IOFBF, 4096);
  SetStdHandle(which, reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream))));
}

}  // namespace

void AttachParentConsole() {
  const bool out = Given(STD_OUTPUT_HANDLE), err = Given(STD_ERROR_HANDLE);
  if (out && err) return;
  if (!AttachConsole(ATTACH_PARENT_PROCESS)) return;  // started from Explorer: nowhere to print
  if (!out) ToConsole(stdout, STD_OUTPUT_HANDLE);
  if (!err) ToConsole(stderr, STD_ERROR_HANDLE);
}

}  // namespace tv
