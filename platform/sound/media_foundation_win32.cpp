#include "platform/sound/media_foundation_win32.h"

#include <cstdio>
#include <mutex>

namespace tv {
namespace {

std::mutex gLock;
bool gTried = false;    // with gLock
MediaFoundationApi gApi;
bool gStarted = false;  // with gLock
std::string gFailure;   // with gLock

template <typename F>
bool Load(HMODULE dll, const char* name, F& into) {
  into = dll ? reinterpret_cast<F>(reinterpret_cast<void*>(::GetProcAddress(dll, name))) : nullptr;
  return into != nullptr;
}

// With gLock, at the first hold of the process: the libraries are loaded and
// Media Foundation started once, and kept until the process ends. Not shut
// down after the last hold: under Wine a released reader's GStreamer pipeline
// is torn down on threads of its own, and MFShutdown then crashed the program
// as it exited, about one exit in eight after a match.
bool Start() {
  if (!gApi.MFStartup) {
    const HMODULE plat = ::LoadLibraryW(L"mfplat.dll");
    const HMODULE readwrite = ::LoadLibraryW(L"mfreadwrite.dll");
    if (!Load(plat, "MFStartup", gApi.MFStartup) || !Load(plat, "MFShutdown", gApi.MFShutdown) ||
        !Load(plat, "MFCreateMediaType", gApi.MFCreateMediaType) ||
        !Load(readwrite, "MFCreateSourceReaderFromURL", gApi.MFCreateSourceReaderFromURL)) {
      gApi = {};
      gFailure = "its libraries (mfplat.dll, mfreadwrite.dll) are not on this system";
      return false;
    }
  }
  const HRESULT hr = gApi.MFStartup(MF_VERSION, MFSTARTUP_LITE);
  if (FAILED(hr)) {
    char text[64];
    std::snprintf(text, sizeof text, "it does not start (error 0x%08lx)", static_cast<unsigned long>(hr));
    gFailure = text;
    return false;
  }
  return true;
}

struct ComOnThread {
  ComOnThread() : entered(SUCCEEDED(::CoInitializeEx(nullptr, COINIT_MULTITHREADED))) {}
  ~ComOnThread() {
    if (entered) ::CoUninitialize();
  }
  bool entered;
};

}  // namespace

MediaFoundation::MediaFoundation() {
  std::lock_guard<std::mutex> lock(gLock);
  if (!gTried) {
    gTried = true;
    gStarted = Start();
  }
  if (gStarted) api_ = &gApi;
}

MediaFoundation::~MediaFoundation() = default;

std::string MediaFoundation::Failure() {
  std::lock_guard<std::mutex> lock(gLock);
  return gFailure;
}

// A thread already in a single-threaded apartment (the window's, for WIC)
// keeps it: COM is usable there too.
void EnterCom() { thread_local ComOnThread com; }

}  // namespace tv
