#pragma once
#include <string>
#include <vector>

#include "platform/base/bitmap.h"
#include "platform/base/text.h"
#include "platform/base/types.h"

namespace tv {

// The picture of a message box window: its text lines, the stop icon and the
// OK button, placed once and painted again whenever the button's look changes.
struct MessageBoxLayout {
  struct Line {
    Point at;
    TextMask mask;
  };
  int width = 0, height = 0;  // the client area
  bool stopIcon = false;
  Rect icon;
  Rect ok;
  TextMask okCaption;
  std::vector<Line> lines;
};

// Lines of a message: "\r\n", a lone "\r" and a lone "\n" each end one.
std::vector<std::string> SplitMessageLines(const std::string& text);

// Breaks a line at spaces so no piece is wider than maxWidth; a word wider than
// that is broken between characters. An empty line stays one empty line.
std::vector<std::string> WrapLine(TextRenderer& text, const FontSpec& font, const std::string& line,
                                  int maxWidth);

MessageBoxLayout LayoutMessageBox(TextRenderer& text, const std::string& message, bool stopIcon,
                                  int maxTextWidth);

Bitmap PaintMessageBox(const MessageBoxLayout& layout, bool okPressed);

}  // namespace tv
