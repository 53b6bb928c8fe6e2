#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// The one JPEG reader: the backdrop's (assets/backdrop.cpp).
namespace tv {

// A JPEG decoded to 8-bit RGB.
struct JpegPicture {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> rgb;  // rows top-down, three bytes a pixel
};

// Decodes the JPEG file in `data` with the system's decoder (libjpeg on
// Linux, loaded with the first call; WIC on Windows). Empty on success, else
// the decoder's message; `usable` then says whether the decoder itself could
// be had: false when it cannot be loaded or used, which is the machine's to
// mend (JpegDecoderRemedy), true when the picture is what failed.
std::string DecodeJpeg(const uint8_t* data, size_t size, JpegPicture& picture, bool& usable);

// What the player can do when the decoder cannot be had.
const char* JpegDecoderRemedy();

}  // namespace tv
