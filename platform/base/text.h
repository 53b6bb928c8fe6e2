#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace tv {

struct FontSpec {
  std::string face = "MS Sans Serif";
  int height = -11;  // negative: character height in pixels
  bool bold = false;
  bool operator==(const FontSpec&) const = default;
};

// A line of text rasterised as coverage (0..255), sized to the text's cell.
struct TextMask {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> alpha;
};

class TextRenderer {
 public:
  virtual ~TextRenderer() = default;
  virtual TextMask Render(const FontSpec& font, const std::string& text) = 0;
};

}  // namespace tv
