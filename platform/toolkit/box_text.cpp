#include "platform/toolkit/box_text.h"

#include <algorithm>

namespace tv {

int RequestedTextHeight(const FontSpec& wanted) {
  int h = wanted.height == 0 ? -11 : wanted.height;
  return std::clamp(h, -kMaxTextHeight, kMaxTextHeight);
}

TextMask HollowBoxText(const FontSpec& wanted, const std::string& text) {
  int h = RequestedTextHeight(wanted);
  TextMask m;
  m.height = h < 0 ? (-h * 13 + 10) / 11 : h;
  int cw = std::max(3, m.height / 2);
  m.width = int(text.size()) * cw;
  m.alpha.assign(size_t(m.width) * m.height, 0);
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == ' ') continue;
    int x0 = int(i) * cw, x1 = x0 + cw - 2, y0 = m.height / 4, y1 = m.height - 2;
    for (int y = y0; y <= y1; ++y)
      for (int x = x0; x <= x1; ++x)
        if (y == y0 || y == y1 || x == x0 || x == x1) m.alpha[size_t(y) * m.width + x] = 255;
  }
  return m;
}

}  // namespace tv
