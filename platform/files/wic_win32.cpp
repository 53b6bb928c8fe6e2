#include "platform/files/wic_win32.h"

#include <cstdio>
#include <string>

namespace tv {

ComThread::ComThread() {
  const HRESULT hr = ::CoInitializeEx(nullptr, COINIT_MULTITHREADED);
  initialised_ = SUCCEEDED(hr);  // RPC_E_CHANGED_MODE: the thread's own apartment stays
}

ComThread::~ComThread() {
  if (initialised_) ::CoUninitialize();
}

HRESULT MakeWicFactory(ComPtr<IWICImagingFactory>& factory) {
  return ::CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                            reinterpret_cast<void**>(factory.Put()));
}

HRESULT WicDecode(const uint8_t* data, size_t size, REFWICPixelFormatGUID format, size_t bytesPerPixel,
                  size_t maxBytes, WicPixels& out) {
  out = {};
  if (size > 0xFFFFFFFFu) return E_INVALIDARG;
  ComPtr<IWICImagingFactory> factory;
  ComPtr<IWICStream> stream;
  ComPtr<IWICBitmapDecoder> decoder;
  ComPtr<IWICBitmapFrameDecode> frame;
  ComPtr<IWICFormatConverter> converter;
  HRESULT hr = MakeWicFactory(factory);
  if (SUCCEEDED(hr)) hr = factory->CreateStream(stream.Put());
  // WIC reads the bytes where they are and never writes them.
  if (SUCCEEDED(hr)) hr = stream->InitializeFromMemory(const_cast<BYTE*>(data), DWORD(size));
  if (SUCCEEDED(hr))
    hr = factory->CreateDecoderFromStream(stream.Get(), nullptr, WICDecodeMetadataCacheOnDemand,
                                          decoder.Put());
  if (SUCCEEDED(hr)) hr = decoder->GetFrame(0, frame.Put());
  UINT width = 0, height = 0;
  if (SUCCEEDED(hr)) hr = frame->GetSize(&width, &height);
  if (FAILED(hr)) return hr;
  const uint64_t stride = uint64_t(width) * bytesPerPixel, total = stride * height;
  if (width == 0 || height == 0 || width > 0x7FFFFFFF || height > 0x7FFFFFFF) return E_INVALIDARG;
  if (total > maxBytes || stride > 0xFFFFFFFFu || total > 0xFFFFFFFFu) return E_OUTOFMEMORY;
  hr = factory->CreateFormatConverter(converter.Put());
  if (SUCCEEDED(hr))
    hr = converter->Initialize(frame.Get(), format, WICBitmapDitherTypeNone, nullptr, 0.0,
                               WICBitmapPaletteTypeCustom);
  if (FAILED(hr)) return hr;
  std::vector<uint8_t> bytes(static_cast<size_t>(total));
  hr = converter->CopyPixels(nullptr, UINT(stride), UINT(total), bytes.data());
  if (FAILED(hr)) return hr;
  out.width = int(width);
  out.height = int(height);
  out.bytes = std::move(bytes);
  return S_OK;
}

std::string WicText(HRESULT hr) {
  char text[32];
  std::snprintf(text, sizeof text, "WIC error 0x%08lX", static_cast<unsigned long>(hr));
  return text;
}

}  // namespace tv
