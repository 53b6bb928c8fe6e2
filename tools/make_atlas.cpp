// Writes the glyph atlas the web build draws its text from, as the Linux
// program draws it: `make_atlas FILE`. Needs the Linux program's fonts
// (scripts/setup.sh runtime), no display.
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "app/form1_texts.h"
#include "platform/files/atomic_file.h"
#include "platform/sdl/sdl_text.h"
#include "platform/toolkit/atlas_capture.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s FILE\n", argv[0]);
    return 2;
  }
  std::vector<uint8_t> atlas;
  std::string report;
  bool ok = tv::CaptureAtlas(*tv::MakeSdlTextRenderer(), tv::WindowFonts(), tv::WindowTexts(), atlas, report);
  if (!ok) {
    std::fprintf(stderr, "make_atlas: %s\n", report.c_str());
    return 1;
  }
  // Only the window's own texts are sure to match; any other text (a message
  // box's, an error report's) in a face whose glyphs do not compose may not.
  std::printf("%s%s: %zu bytes\n", report.c_str(), argv[1], atlas.size());
  std::string_view bytes(reinterpret_cast<const char*>(atlas.data()), atlas.size());
  if (int err = tv::WriteWholeFile(argv[1], bytes)) {
    std::fprintf(stderr, "make_atlas: cannot write %s: %s\n", argv[1], std::strerror(err));
    return 1;
  }
  return 0;
}
