#pragma once
#include <string>
#include <string_view>

namespace tv {

// The game's strings are 8-bit text in the Western code page (1252); SDL and
// its fonts want UTF-8. Bytes that page leaves undefined become U+FFFD.
std::string Cp1252ToUtf8(std::string_view text);

}  // namespace tv
