#include "platform/files/png.h"

#include <cerrno>
#include <string_view>
#include <vector>

#include "platform/files/atomic_file.h"
#include "platform/files/wic_win32.h"

namespace tv {
namespace {

// WIC's failures as the error numbers png.h promises.
int ErrnoOfWic(HRESULT hr) {
  if (hr == E_OUTOFMEMORY) return ENOMEM;
  if (HRESULT_FACILITY(hr) == FACILITY_WIN32) {
    const DWORD code = HRESULT_CODE(hr);
    if (code == ERROR_DISK_FULL || code == ERROR_HANDLE_DISK_FULL) return ENOSPC;
    if (code == ERROR_NOT_ENOUGH_MEMORY || code == ERROR_OUTOFMEMORY) return ENOMEM;
  }
  return EIO;
}

// The PNG's bytes, encoded by WIC into memory: the file itself is written as
// every other file is (WriteWholeFile), whole or not at all and with the
// write's own error number.
HRESULT Encode(IWICImagingFactory* factory, int width, int height, const uint32_t* pixels, bool alpha,
               std::string& png) {
  ComPtr<IStream> memory;
  ComPtr<IWICBitmapEncoder> encoder;
  ComPtr<IWICBitmapFrameEncode> frame;
  ComPtr<IPropertyBag2> options;
  HRESULT hr = ::CreateStreamOnHGlobal(nullptr, TRUE, memory.Put());
  if (SUCCEEDED(hr)) hr = factory->CreateEncoder(GUID_ContainerFormatPng, nullptr, encoder.Put());
  if (SUCCEEDED(hr)) hr = encoder->Initialize(memory.Get(), WICBitmapEncoderNoCache);
  if (SUCCEEDED(hr)) hr = encoder->CreateNewFrame(frame.Put(), options.Put());
  if (SUCCEEDED(hr)) hr = frame->Initialize(options.Get());
  if (SUCCEEDED(hr)) hr = frame->SetSize(UINT(width), UINT(height));
  // 0xAARRGGBB in memory is B, G, R, A: the same bytes WIC's BGRA takes. The
  // file holds 8-bit RGB or RGBA either way.
  WICPixelFormatGUID format = alpha ? GUID_WICPixelFormat32bppBGRA : GUID_WICPixelFormat24bppBGR;
  const WICPixelFormatGUID wanted = format;
  if (SUCCEEDED(hr)) hr = frame->SetPixelFormat(&format);
  if (SUCCEEDED(hr) && !IsEqualGUID(format, wanted)) hr = WINCODEC_ERR_UNSUPPORTEDPIXELFORMAT;
  const size_t stride = size_t(width) * (alpha ? 4 : 3);
  if (SUCCEEDED(hr) && (stride > 0xFFFFFFFFu / size_t(height))) hr = E_OUTOFMEMORY;
  if (SUCCEEDED(hr)) {
    if (alpha) {
      hr = frame->WritePixels(UINT(height), UINT(stride), UINT(stride * size_t(height)),
                              reinterpret_cast<BYTE*>(const_cast<uint32_t*>(pixels)));
    } else {
      std::vector<BYTE> row(stride);
      // A row at a time: the picture is not copied whole once more.
      for (int y = 0; y < height && SUCCEEDED(hr); ++y) {
        const uint32_t* src = pixels + size_t(y) * size_t(width);
        for (int x = 0; x < width; ++x) {
          row[size_t(x) * 3] = BYTE(src[x]);
          row[size_t(x) * 3 + 1] = BYTE(src[x] >> 8);
          row[size_t(x) * 3 + 2] = BYTE(src[x] >> 16);
        }
        hr = frame->WritePixels(1, UINT(stride), UINT(stride), row.data());
      }
    }
  }
  if (SUCCEEDED(hr)) hr = frame->Commit();
  if (SUCCEEDED(hr)) hr = encoder->Commit();
  STATSTG stat{};
  HGLOBAL block = nullptr;
  if (SUCCEEDED(hr)) hr = memory->Stat(&stat, STATFLAG_NONAME);
  if (SUCCEEDED(hr)) hr = ::GetHGlobalFromStream(memory.Get(), &block);
  if (FAILED(hr)) return hr;
  const void* bytes = ::GlobalLock(block);
  if (!bytes) return E_OUTOFMEMORY;
  png.assign(static_cast<const char*>(bytes), size_t(stat.cbSize.QuadPart));
  ::GlobalUnlock(block);
  return S_OK;
}

}  // namespace

int WritePngFile(const std::string& path, int width, int height, const uint32_t* pixels, bool alpha) {
  const ComThread com;
  ComPtr<IWICImagingFactory> factory;
  if (FAILED(MakeWicFactory(factory))) return ENOSYS;
  std::string png;
  if (const HRESULT hr = Encode(factory.Get(), width, height, pixels, alpha, png); FAILED(hr))
    return ErrnoOfWic(hr);
  return WriteWholeFile(path, png);
}

}  // namespace tv
