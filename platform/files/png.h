#pragma once
#include <cstdint>
#include <string>

#include "platform/base/bitmap.h"

// The one PNG writer: the headless backend's screenshots, the end-to-end
// tests' pictures and the program's icon files.
namespace tv {

// Writes the picture as an 8-bit RGB PNG. Returns 0, or the errno value that
// says why the file could not be written (the open's, a write's or the
// close's; EINVAL for a picture without pixels; when the system's PNG
// encoder cannot be had, ELIBACC on Linux, where libpng not loading is also
// said once on stderr, and ENOSYS on Windows, which has no ELIBACC). Nothing
// else is printed.
[[nodiscard]] int SavePng(const Bitmap& picture, const std::string& path);
// Writes a 0xAARRGGBB picture as an 8-bit RGBA PNG, keeping its transparency.
[[nodiscard]] int SavePng(const ArgbImage& picture, const std::string& path);

// The system's own encoder (png_posix.cpp, png_win32.cpp), given a picture
// SavePng has checked: `height` rows of `width` 0x??RRGGBB pixels, the top
// byte the alpha when `alpha` is set; replaces the file whole (AtomicFile).
[[nodiscard]] int WritePngFile(const std::string& path, int width, int height, const uint32_t* pixels,
                               bool alpha);

}  // namespace tv
