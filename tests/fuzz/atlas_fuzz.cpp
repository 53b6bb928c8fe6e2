// libFuzzer entry: any bytes, sealed with a fresh checksum so that they reach
// the reader's every field, are refused with a reason or give a renderer whose
// masks hold exactly their width times their height, whatever font is asked.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/toolkit/atlas_text.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<uint8_t> bytes(data, data + size);
  tv::SealAtlas(bytes);
  std::string why;
  const auto text = tv::LoadAtlasText(bytes, why);
  if (!text) {
    if (why.empty()) std::abort();
    return 0;
  }
  const tv::FontSpec fonts[] = {{"MS Sans Serif", -11, false}, {"MS Sans Serif", -11, true}, {"Verdana", -11, false},
                                {"Nowhere", 0, true}, {"Verdana", 400, false}};
  const std::string lines[] = {"", "Player 1 Won!", "tarvolen.example", std::string("\x00\x7f\x80\xff", 4)};
  for (const auto& font : fonts)
    for (const auto& line : lines) {
      const tv::TextMask m = text->Render(font, line);
      if (m.width < 0 || m.height < 0 || m.alpha.size() != size_t(m.width) * size_t(m.height)) std::abort();
    }
  return 0;
}
