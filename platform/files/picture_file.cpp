#include "platform/files/picture_file.h"

#include <atomic>
#include <cerrno>
#include <cstring>
#include <stdexcept>
#include <vector>

#include "platform/base/exceptions.h"
#include "platform/files/file_read.h"

namespace tv {
namespace {

std::atomic<BitmapDecoder> g_decoder{nullptr};

}  // namespace

void SetBitmapDecoder(BitmapDecoder decoder) { g_decoder = decoder; }

Bitmap DecodeBitmap(const uint8_t* data, size_t size) {
  const BitmapDecoder decode = g_decoder;
  if (!decode) throw std::logic_error("no bitmap decoder is installed");
  return decode(data, size);
}

Bitmap LoadBitmapFile(const std::string& path) {
  std::vector<uint8_t> bytes;
  // Opened without blocking, so a named pipe in the picture's place cannot hang the game.
  const int err = ReadRegularFile(path, kMaxBitmapFileBytes, bytes);
  if (err == EFBIG) throw EInvalidGraphic("Bitmap image is not valid");
  if (err) throw EFOpenError("Cannot open file \"" + path + "\". " + std::strerror(err));
  return DecodeBitmap(bytes.data(), bytes.size());
}

}  // namespace tv
