#include "platform/files/png.h"

#include <cerrno>

namespace tv {

int SavePng(const Bitmap& picture, const std::string& path) {
  if (picture.width <= 0 || picture.height <= 0 ||
      picture.pixels.size() < size_t(picture.width) * size_t(picture.height))
    return EINVAL;
  return WritePngFile(path, picture.width, picture.height, picture.pixels.data(), false);
}

int SavePng(const ArgbImage& picture, const std::string& path) {
  if (picture.width <= 0 || picture.height <= 0 ||
      picture.pixels.size() < size_t(picture.width) * size_t(picture.height))
    return EINVAL;
  return WritePngFile(path, picture.width, picture.height, picture.pixels.data(), true);
}

}  // namespace tv
