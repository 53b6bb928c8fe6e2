#include "platform/files/jpeg.h"

#include "platform/files/wic_win32.h"

namespace tv {

std::string DecodeJpeg(const uint8_t* data, size_t size, JpegPicture& picture, bool& usable) {
  picture = {};
  const ComThread com;
  ComPtr<IWICImagingFactory> factory;
  usable = SUCCEEDED(MakeWicFactory(factory));
  if (!usable) return "the Windows Imaging Component cannot be loaded";
  // The backdrop is the one JPEG; a picture past 256 MB decoded is none of ours.
  WicPixels pixels;
  if (const HRESULT hr = WicDecode(data, size, GUID_WICPixelFormat24bppRGB, 3, size_t(256) << 20, pixels);
      FAILED(hr))
    return WicText(hr);
  picture.width = pixels.width;
  picture.height = pixels.height;
  picture.rgb = std::move(pixels.bytes);
  return "";
}

const char* JpegDecoderRemedy() { return "Windows' own picture decoders are missing or damaged"; }

}  // namespace tv
