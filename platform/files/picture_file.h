#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/base/bitmap.h"

namespace tv {

// Reads a device-independent bitmap file (.bmp): 1, 2, 4, 8, 16, 24 and 32 bits
// per pixel, bottom-up or top-down, RLE4 and RLE8, Windows and OS/2 headers.
// A two-colour (1 bit per pixel) file comes back with `monochrome` set.
// Throws EFOpenError ("Cannot open file "<path>". <reason>", the reason as
// ReadFailureText gives it) when the file cannot be opened or read, and
// EInvalidGraphic ("Bitmap image is not valid") when it is not a bitmap this
// loader accepts, including one whose size or pixel data is out of all
// proportion. Either way one line on stderr names the file and says why.
Bitmap LoadBitmapFile(const std::string& path);

// The same for the bytes of a file already in memory; throws EInvalidGraphic
// only (with what was wrong as its Detail when the decoder knows), and says nothing.
Bitmap DecodeBitmap(const uint8_t* data, size_t size);

// The pixels are decoded by the window backend's reader (SDL's on the real
// machine), installed once at start-up by the backend's maker, or by a test
// harness; the toolkit reads the file itself and needs no window library.
// Without one installed, loading a picture is a programmer's error (Require).
using BitmapDecoder = Bitmap (*)(const uint8_t* data, size_t size);
void SetBitmapDecoder(BitmapDecoder decoder);

// Larger files are not pictures this program shows.
constexpr size_t kMaxBitmapFileBytes = size_t(80) << 20;

}  // namespace tv
