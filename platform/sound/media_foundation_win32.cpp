#include "platform/sound/media_foundation_win32.h"

#include <cstdio>
#include <mutex>

namespace tv {
namespace {

std::mutex gLock;
int gHolds = 0;  // with gLock
MediaFoundationApi gApi;
bool gStarted = false;  // with gLock
std::string gFailure;   // with gLock

template <typename F>
bool Load(HMODULE dll, const char* name, F& into) {
  into = dll ? reinterpret_cast<F>(reinterpret_cast<void*>(::GetProcAddress(dll, name))) : nullptr;
  return into != nullptr;
}

// With gLock, at the first hold while none is: the libraries are loaded once
// and kept; MFStartup pairs with the MFShutdown of the last hold.
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
  if (gHolds++ == 0) gStarted = Start();
  if (gStarted) api_ = &gApi;
}

MediaFoundation::~MediaFoundation() {
  std::lock_guard<std::mutex> lock(gLock);
  if (--gHolds == 0 && gStarted) {
    gApi.MFShutdown();
    gStarted = false;
  }
}

std::string MediaFoundation::Failure() {
  std::lock_guard<std::mutex> lock(gLock);
  return gFailure;
}

// A thread already in a single-threaded apartment (the window's, for WIC)
// keeps it: COM is usable there too.
void EnterCom() { thread_local ComOnThread com; }

}  // namespace tv
