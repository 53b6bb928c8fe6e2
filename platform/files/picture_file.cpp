#include "platform/files/picture_file.h"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <vector>

#include "platform/base/exceptions.h"
#include "platform/base/require.h"
#include "platform/files/file_read.h"

namespace tv {
namespace {

std::atomic<BitmapDecoder> gDecoder{nullptr};

// The box shows the toolkit's text, which may not name the file; the log line
// names it and says what was found wrong. The texts here (the loader's and
// strerror's) end in a letter, so the full stop the box adds is added here too.
void Log(const std::string& path, const std::string& text, const std::string& detail = {}) {
  const std::string why = detail.empty() ? text : text + " (" + detail + ")";
  std::fprintf(stderr, "tarvolen: %s: %s.\n", path.c_str(), why.c_str());
}

}  // namespace

void SetBitmapDecoder(BitmapDecoder decoder) { gDecoder = decoder; }

Bitmap DecodeBitmap(const uint8_t* data, size_t size) {
  const BitmapDecoder decode = gDecoder;
  Require(decode != nullptr, "no bitmap decoder is installed");
  return decode(data, size);
}

Bitmap LoadBitmapFile(const std::string& path) {
  std::vector<uint8_t> bytes;
  // Opened without blocking, so a named pipe in the picture's place cannot hang the game.
  const int err = ReadRegularFile(path, kMaxBitmapFileBytes, bytes);
  if (err && err != EFBIG) {
    Log(path, ReadFailureText(err));
    throw EFOpenError("Cannot open file \"" + path + "\". " + ReadFailureText(err));
  }
  try {
    if (err == EFBIG) {
      const std::string limit = std::to_string(kMaxBitmapFileBytes >> 20);
      throw EInvalidGraphic("Bitmap image is not valid", "over " + limit + " MB");
    }
    return DecodeBitmap(bytes.data(), bytes.size());
  } catch (const EInvalidGraphic& e) {
    Log(path, e.what(), e.Detail());
    throw;
  }
}

}  // namespace tv
