// Level pictures on Windows: device-independent bitmap files read with WIC.
//
// As on Linux (platform/sdl/sdl_bmp.cpp), the headers are checked first
// (platform/files/bmp_header.h), so that a hostile or broken file can neither
// make WIC allocate without bound nor slip through half-read, and indexed
// pixels are looked up here, so that an index beyond the palette is refused
// as SDL's reader refuses it rather than drawn in whatever colour WIC picks.
// Run-length files are expanded by the game itself (bmp_rle.h): WIC leaves
// the pixels such a file skips unset.
#include "platform/win32/win32_bmp.h"

#include <string>
#include <vector>

#include "platform/files/bmp_header.h"
#include "platform/files/bmp_rle.h"
#include "platform/files/picture_file.h"
#include "platform/files/wic_win32.h"

namespace tv {
namespace {

[[noreturn]] void Refuse(const char* step, HRESULT hr) {
  BitmapNotValid(std::string(step) + ": " + WicText(hr));
}

// Bits per pixel of WIC's indexed formats; 0 for any other.
int IndexedBits(const WICPixelFormatGUID& format) {
  if (IsEqualGUID(format, GUID_WICPixelFormat1bppIndexed)) return 1;
  if (IsEqualGUID(format, GUID_WICPixelFormat2bppIndexed)) return 2;
  if (IsEqualGUID(format, GUID_WICPixelFormat4bppIndexed)) return 4;
  if (IsEqualGUID(format, GUID_WICPixelFormat8bppIndexed)) return 8;
  return 0;
}

Bitmap FromIndexed(IWICImagingFactory* factory, IWICBitmapFrameDecode* frame, int bits, UINT w, UINT h) {
  ComPtr<IWICPalette> palette;
  HRESULT hr = factory->CreatePalette(palette.Put());
  if (SUCCEEDED(hr)) hr = frame->CopyPalette(palette.Get());
  UINT count = 0;
  if (SUCCEEDED(hr)) hr = palette->GetColorCount(&count);
  std::vector<WICColor> colours(count);
  UINT got = 0;
  if (SUCCEEDED(hr) && count) hr = palette->GetColors(count, colours.data(), &got);
  if (FAILED(hr)) Refuse("the palette", hr);
  colours.resize(got);
  const size_t stride = (size_t(w) * size_t(bits) + 7) / 8;
  std::vector<uint8_t> indices(stride * h);
  hr = frame->CopyPixels(nullptr, UINT(stride), UINT(indices.size()), indices.data());
  if (FAILED(hr)) Refuse("the pixels", hr);
  Bitmap b(static_cast<int>(w), static_cast<int>(h));
  const unsigned mask = (1u << bits) - 1;
  for (UINT y = 0; y < h; ++y) {
    const uint8_t* row = indices.data() + size_t(y) * stride;
    for (UINT x = 0; x < w; ++x) {
      const size_t bit = size_t(x) * size_t(bits);
      const unsigned index = (row[bit / 8] >> (8 - bits - bit % 8)) & mask;
      if (index >= colours.size()) BitmapNotValid("a colour index beyond the palette");
      b.Set(int(x), int(y), Pixel(colours[index] & 0xFFFFFF));
    }
  }
  return b;
}

// Five- and six-bit channels widened as SDL_GetRGB widens them (rounded down
// from full scale to 255), where WIC repeats the top bits (its 30 of 31 is 247,
// SDL's 246). Red and blue have five bits, green `green`.
Bitmap From16Bit(IWICBitmapFrameDecode* frame, int green, UINT w, UINT h) {
  const size_t stride = size_t(w) * 2;
  std::vector<uint8_t> raw(stride * h);
  const HRESULT hr = frame->CopyPixels(nullptr, UINT(stride), UINT(raw.size()), raw.data());
  if (FAILED(hr)) Refuse("the pixels", hr);
  const auto widen = [](unsigned v, int bits) { return Pixel(v * 255 / ((1u << bits) - 1)); };
  Bitmap b(static_cast<int>(w), static_cast<int>(h));
  for (size_t i = 0; i < b.pixels.size(); ++i) {
    const unsigned v = unsigned(raw[i * 2]) | unsigned(raw[i * 2 + 1]) << 8;
    b.pixels[i] = widen(v >> (5 + green) & 31, 5) << 16 | widen(v >> 5 & ((1u << green) - 1), green) << 8 |
                  widen(v & 31, 5);
  }
  return b;
}

Bitmap FromDirect(IWICImagingFactory* factory, IWICBitmapFrameDecode* frame, UINT w, UINT h) {
  // 32bppBGR keeps the colour and drops an alpha channel as SDL_GetRGB does.
  ComPtr<IWICFormatConverter> converter;
  HRESULT hr = factory->CreateFormatConverter(converter.Put());
  if (SUCCEEDED(hr))
    hr = converter->Initialize(frame, GUID_WICPixelFormat32bppBGR, WICBitmapDitherTypeNone, nullptr, 0.0,
                               WICBitmapPaletteTypeCustom);
  Bitmap b(static_cast<int>(w), static_cast<int>(h));
  if (SUCCEEDED(hr))
    hr = converter->CopyPixels(nullptr, w * 4, UINT(b.pixels.size() * 4),
                               reinterpret_cast<BYTE*>(b.pixels.data()));
  if (FAILED(hr)) Refuse("the pixels", hr);
  for (Pixel& p : b.pixels)
    p &= 0xFFFFFF;
  return b;
}

// A Windows 3 header with its masks inside (52 or 56 bytes), which WIC does
// not read, grown into the Windows 4 header (108 bytes) that begins the same
// way; the palette and the pixels move along with it.
std::vector<uint8_t> AsWindows4(const uint8_t* data, size_t size, uint32_t infoSize) {
  constexpr size_t kFileHeader = 14, kWindows4 = 108;
  const size_t grow = kWindows4 - infoSize, infoEnd = kFileHeader + infoSize;
  std::vector<uint8_t> out(data, data + infoEnd);
  out.resize(kFileHeader + kWindows4, 0);
  out.insert(out.end(), data + infoEnd, data + size);
  const auto put32 = [&out](size_t at, uint64_t v) {
    for (int k = 0; k < 4; ++k)
      out[at + size_t(k)] = uint8_t(v >> (8 * k));
  };
  const auto get32 = [data](size_t at) {
    return uint64_t(data[at]) | uint64_t(data[at + 1]) << 8 | uint64_t(data[at + 2]) << 16 |
           uint64_t(data[at + 3]) << 24;
  };
  put32(2, out.size());
  const uint64_t offBits = get32(10);
  put32(10, offBits >= infoEnd ? offBits + grow : offBits);
  put32(kFileHeader, kWindows4);
  return out;
}

}  // namespace

Bitmap DecodeWicBmp(const uint8_t* data, size_t size) {
  const BmpHeader header = CheckBmpHeader(data, size);
  if (header.compression == 1 || header.compression == 2) {
    Bitmap b = ExpandRunLengthBmp(data, size, header);
    b.monochrome = false;
    return b;
  }
  std::vector<uint8_t> grown;
  if (header.infoSize == 52 || header.infoSize == 56) {
    grown = AsWindows4(data, size, header.infoSize);
    data = grown.data();
    size = grown.size();
  }
  const ComThread com;
  ComPtr<IWICImagingFactory> factory;
  ComPtr<IWICStream> stream;
  ComPtr<IWICBitmapDecoder> decoder;
  ComPtr<IWICBitmapFrameDecode> frame;
  HRESULT hr = MakeWicFactory(factory);
  if (FAILED(hr)) Refuse("no decoder", hr);
  hr = factory->CreateStream(stream.Put());
  // WIC reads the bytes where they are and never writes them.
  if (SUCCEEDED(hr)) hr = stream->InitializeFromMemory(const_cast<BYTE*>(data), DWORD(size));
  // The BMP decoder by name: a file that passed the header check is decoded as a bitmap, whatever else it
  // resembles.
  if (SUCCEEDED(hr)) hr = factory->CreateDecoder(GUID_ContainerFormatBmp, nullptr, decoder.Put());
  if (SUCCEEDED(hr)) hr = decoder->Initialize(stream.Get(), WICDecodeMetadataCacheOnDemand);
  if (SUCCEEDED(hr)) hr = decoder->GetFrame(0, frame.Put());
  UINT w = 0, h = 0;
  if (SUCCEEDED(hr)) hr = frame->GetSize(&w, &h);
  WICPixelFormatGUID format{};
  if (SUCCEEDED(hr)) hr = frame->GetPixelFormat(&format);
  if (FAILED(hr)) Refuse("the headers", hr);
  if (int64_t(w) != header.width || int64_t(h) != header.height)
    BitmapNotValid("the decoder read another size");
  const int bits = IndexedBits(format);
  Bitmap b = bits ? FromIndexed(factory.Get(), frame.Get(), bits, w, h)
             : IsEqualGUID(format, GUID_WICPixelFormat16bppBGR565) ? From16Bit(frame.Get(), 6, w, h)
             : IsEqualGUID(format, GUID_WICPixelFormat16bppBGR555)
                 ? From16Bit(frame.Get(), 5, w, h)
                 : FromDirect(factory.Get(), frame.Get(), w, h);
  b.monochrome = header.bitCount == 1;
  return b;
}

void InstallWicBitmapDecoder() { SetBitmapDecoder(DecodeWicBmp); }

}  // namespace tv
