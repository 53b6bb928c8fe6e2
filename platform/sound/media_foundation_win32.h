#pragma once
// Media Foundation, which decodes the recordings on Windows. Loaded when first
// held, not linked: Windows' N editions come without it, and a program that
// imported it would not even start there; it then plays its music through
// MIDI instead.
#include "platform/files/windows_api.h"

#include <mfapi.h>
#include <mfidl.h>
#include <mfreadwrite.h>

#include <string>

namespace tv {

// Media Foundation's entry points the game calls.
struct MediaFoundationApi {
  HRESULT(WINAPI* MFStartup)(ULONG, DWORD) = nullptr;
  HRESULT(WINAPI* MFShutdown)() = nullptr;
  HRESULT(WINAPI* MFCreateMediaType)(IMFMediaType**) = nullptr;
  HRESULT(WINAPI* MFCreateSourceReaderFromURL)(const WCHAR*, IMFAttributes*, IMFSourceReader**) = nullptr;
};

// A hold on Media Foundation: it is started with the first hold of the
// process and kept started until the process ends (never MFShutdown: a
// shutdown while Wine still tore down a released reader crashed the program
// as it exited). Every object made from it (a source reader) keeps a hold.
class MediaFoundation {
 public:
  MediaFoundation();
  ~MediaFoundation();
  MediaFoundation(const MediaFoundation&) = delete;
  MediaFoundation& operator=(const MediaFoundation&) = delete;

  // Null when Media Foundation could not be loaded or started.
  const MediaFoundationApi* Api() const { return api_; }
  // Why it could not, for the one line the player is told.
  static std::string Failure();

 private:
  const MediaFoundationApi* api_ = nullptr;
};

// COM on the calling thread (the source resolver makes its handlers through
// it), entered once per thread and left as the thread ends.
void EnterCom();

}  // namespace tv
