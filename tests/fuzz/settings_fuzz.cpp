// libFuzzer entry: any bytes given to the settings reader are refused with a
// reason or read as settings in range, which are written and read back as the
// same settings.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "app/settings.h"
#include "platform/toolkit/view.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string error;
  const auto s = tv::ParseSettings(std::string_view(reinterpret_cast<const char*>(data), size), error);
  if (!s) {
    if (error.empty()) std::abort();
    return 0;
  }
  if (s->scale && (*s->scale < 1 || *s->scale > tv::kMaxScale)) std::abort();
  const std::string text = tv::FormatSettings(*s);
  const auto again = tv::ParseSettings(text, error);
  if (!again || !(*again == *s) || text.size() > tv::kMaxSettingsBytes) std::abort();
  return 0;
}
