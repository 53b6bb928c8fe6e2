#pragma once
// Windows Imaging Component, shared by the Windows build's picture readers and
// writer (jpeg_win32.cpp, png_win32.cpp, platform/win32/win32_bmp.cpp).
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/files/windows_api.h"

#include <wincodec.h>

namespace tv {

// A COM pointer, released with its owner.
template <typename T>
class ComPtr {
 public:
  ComPtr() = default;
  ~ComPtr() {
    if (p_) p_->Release();
  }
  ComPtr(const ComPtr&) = delete;
  ComPtr& operator=(const ComPtr&) = delete;
  T* operator->() const { return p_; }
  T* Get() const { return p_; }
  // Where a call that makes the object puts it.
  T** Put() {
    if (p_) p_->Release();
    p_ = nullptr;
    return &p_;
  }

 private:
  T* p_ = nullptr;
};

// COM on the calling thread while this lives. A thread that already has it
// (in either apartment: WIC works in both) keeps it as it was.
class ComThread {
 public:
  ComThread();
  ~ComThread();
  ComThread(const ComThread&) = delete;
  ComThread& operator=(const ComThread&) = delete;

 private:
  bool initialised_ = false;
};

// WIC's factory, made for the caller (under a ComThread): S_OK or why not.
HRESULT MakeWicFactory(ComPtr<IWICImagingFactory>& factory);

// A picture as WIC decoded it: `width` x `height`, rows top-down, each
// `width` * bytesPerPixel bytes.
struct WicPixels {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> bytes;
};

// Decodes the first frame of the picture file in `data` (BMP, JPEG, PNG: the
// container says which) into `format` of `bytesPerPixel` bytes a pixel.
// S_OK, or the first failing call's answer; a picture of more than
// `maxBytes` decoded is refused (E_OUTOFMEMORY) before any is allocated.
HRESULT WicDecode(const uint8_t* data, size_t size, REFWICPixelFormatGUID format, size_t bytesPerPixel,
                  size_t maxBytes, WicPixels& out);

// WIC's answer in words, for a log line.
std::string WicText(HRESULT hr);

}  // namespace tv
