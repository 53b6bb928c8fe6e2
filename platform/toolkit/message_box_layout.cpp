#include "platform/toolkit/message_box_layout.h"

#include <algorithm>
#include <cmath>

#include "platform/toolkit/painter.h"

namespace tv {
namespace {

constexpr int kMargin = 12;
constexpr int kIconSize = 32;
constexpr int kButtonW = 75, kButtonH = 23;
constexpr int kMinWidth = 120;  // leaves room for the caption on the title bar

constexpr Pixel kFace = ToPixel(clBtnFace);
constexpr Pixel kShadow = ToPixel(clBtnShadow);
constexpr Pixel kHighlight = ToPixel(clBtnHighlight);
constexpr Pixel kBlack = 0x000000;
constexpr Pixel kLight = 0xDFDFDF;
constexpr Pixel kStopRed = 0xFF0000;
constexpr Pixel kStopRim = 0x800000;
constexpr Pixel kWhite = 0xFFFFFF;

const FontSpec kFont{"MS Sans Serif", -11, false};

int Width(TextRenderer& text, const std::string& s) { return s.empty() ? 0 : text.Render(kFont, s).width; }

void Fill(Bitmap& b, Rect r, Pixel p) { Painter(b, {0, 0, b.width, b.height}).FillRect(r, p); }

// A one-pixel frame: top and left edges in one colour, bottom and right in another.
void Frame(Bitmap& b, Rect r, Pixel topLeft, Pixel bottomRight) {
  Fill(b, {r.x, r.y, r.w, 1}, topLeft);
  Fill(b, {r.x, r.y, 1, r.h}, topLeft);
  Fill(b, {r.x, r.Bottom() - 1, r.w, 1}, bottomRight);
  Fill(b, {r.Right() - 1, r.y, 1, r.h}, bottomRight);
}

// Text is blended by the one painter that draws the window's text too.
void DrawMask(Bitmap& b, const TextMask& m, Point at, Pixel colour) {
  Painter(b, {0, 0, b.width, b.height}).DrawMask(at.x, at.y, m, colour);
}

// A red disc with a white diagonal cross, sampled at pixel centres.
void DrawStopIcon(Bitmap& b, Rect r) {
  double c = r.w / 2.0, radius = r.w / 2.0 - 1;
  for (int y = 0; y < r.h; ++y)
    for (int x = 0; x < r.w; ++x) {
      double dx = x + 0.5 - c, dy = y + 0.5 - c, d2 = dx * dx + dy * dy;
      if (d2 > radius * radius) continue;
      Pixel p = d2 > (radius - 1.5) * (radius - 1.5) ? kStopRim : kStopRed;
      bool onCross = std::abs(dx) <= 7.5 && std::abs(dy) <= 7.5 &&
                     (std::abs(dx - dy) <= 2.2 || std::abs(dx + dy) <= 2.2);
      if (onCross) p = kWhite;
      b.Set(r.x + x, r.y + y, p);
    }
}

void DrawButton(Bitmap& b, Rect r, const TextMask& caption, bool pressed) {
  Fill(b, r, kFace);
  Frame(b, r, kBlack, kBlack);  // the default button's dark outline
  Rect in{r.x + 1, r.y + 1, r.w - 2, r.h - 2};
  if (pressed) {
    Frame(b, in, kShadow, kShadow);
  } else {
    Frame(b, in, kHighlight, kBlack);
    Frame(b, {in.x + 1, in.y + 1, in.w - 2, in.h - 2}, kLight, kShadow);
  }
  int shift = pressed ? 1 : 0;
  DrawMask(b, caption, {r.x + (r.w - caption.width) / 2 + shift, r.y + (r.h - caption.height) / 2 + shift}, kBlack);
  // The dotted focus rectangle: the button has the keyboard.
  Rect f{r.x + 4, r.y + 4, r.w - 8, r.h - 8};
  for (int x = f.x; x < f.Right(); x += 2) b.Set(x, f.y, kBlack), b.Set(x, f.Bottom() - 1, kBlack);
  for (int y = f.y; y < f.Bottom(); y += 2) b.Set(f.x, y, kBlack), b.Set(f.Right() - 1, y, kBlack);
}

}  // namespace

std::vector<std::string> SplitMessageLines(const std::string& text) {
  std::vector<std::string> lines(1);
  for (size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (c == '\r' || c == '\n') {
      if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
      lines.emplace_back();
    } else {
      lines.back() += c;
    }
  }
  return lines;
}

std::vector<std::string> WrapLine(TextRenderer& text, const FontSpec& font, const std::string& line,
                                  int maxWidth) {
  auto width = [&](const std::string& s) { return s.empty() ? 0 : text.Render(font, s).width; };
  std::vector<std::string> out;
  std::string current;
  size_t i = 0;
  while (i < line.size()) {
    size_t end = line.find(' ', i);
    if (end == std::string::npos) end = line.size();
    std::string word = line.substr(i, end - i);
    std::string joined = current.empty() ? word : current + " " + word;
    if (width(joined) <= maxWidth) {
      current = joined;
    } else {
      if (!current.empty()) out.push_back(current);
      current.clear();
      // A word wider than the box on its own: cut it between characters.
      for (char c : word) {
        if (!current.empty() && width(current + c) > maxWidth) out.push_back(current), current.clear();
        current += c;
      }
    }
    i = end + 1;
  }
  if (!current.empty() || out.empty()) out.push_back(current);
  return out;
}

MessageBoxLayout LayoutMessageBox(TextRenderer& text, const std::string& message, bool stopIcon,
                                  int maxTextWidth) {
  MessageBoxLayout l;
  l.stopIcon = stopIcon;
  maxTextWidth = std::max(maxTextWidth, 40);
  int textX = stopIcon ? kMargin + kIconSize + kMargin : kMargin;
  int lineHeight = text.Render(kFont, "").height;
  std::vector<std::string> lines;
  for (const auto& raw : SplitMessageLines(message))
    for (auto& piece : WrapLine(text, kFont, raw, maxTextWidth)) lines.push_back(std::move(piece));
  int textW = 0;
  for (const auto& s : lines) textW = std::max(textW, Width(text, s));
  int textH = int(lines.size()) * lineHeight;
  int contentH = stopIcon ? std::max(textH, kIconSize) : textH;
  int textY = kMargin + (contentH - textH) / 2;
  for (size_t i = 0; i < lines.size(); ++i)
    l.lines.push_back({{textX, textY + int(i) * lineHeight}, text.Render(kFont, lines[i])});
  if (stopIcon) l.icon = {kMargin, kMargin + (contentH - kIconSize) / 2, kIconSize, kIconSize};
  l.width = std::max({textX + textW + kMargin, kButtonW + 2 * kMargin, kMinWidth});
  l.ok = {(l.width - kButtonW) / 2, kMargin + contentH + kMargin, kButtonW, kButtonH};
  l.height = l.ok.Bottom() + kMargin;
  l.okCaption = text.Render(kFont, "OK");
  return l;
}

Bitmap PaintMessageBox(const MessageBoxLayout& l, bool okPressed) {
  Bitmap b(l.width, l.height, kFace);
  if (l.stopIcon) DrawStopIcon(b, l.icon);
  for (const auto& line : l.lines) DrawMask(b, line.mask, line.at, kBlack);
  DrawButton(b, l.ok, l.okCaption, okPressed);
  return b;
}

}  // namespace tv
