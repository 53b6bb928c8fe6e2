#include "platform/toolkit/view.h"

#include <algorithm>

namespace tv {

std::optional<int> ParseScale(std::string_view text) {
  if (text.size() != 1 || text[0] < '1' || text[0] > char('0' + kMaxScale)) return std::nullopt;
  return text[0] - '0';
}

int ScaleToFit(int usableW, int usableH, int pictureW, int pictureH, int maxScale) {
  int n = 1;
  while (n < maxScale && (n + 1) * pictureW * 5 <= usableW * 4 && (n + 1) * pictureH * 5 <= usableH * 4) ++n;
  return n;
}

View CentredView(int surfaceW, int surfaceH, int pictureW, int pictureH) {
  View v;
  if (pictureW <= 0 || pictureH <= 0) return v;
  v.scale = std::max(1, std::min(surfaceW / pictureW, surfaceH / pictureH));
  v.x = std::max(0, (surfaceW - pictureW * v.scale) / 2);
  v.y = std::max(0, (surfaceH - pictureH * v.scale) / 2);
  return v;
}

}  // namespace tv
