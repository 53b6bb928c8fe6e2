#pragma once
#include <cstdint>

namespace tv {

// A widget's place and size as the rules see it: no widget, just numbers.
struct Box {
  int32_t left = 0, top = 0, width = 0, height = 0;
};

// A top-left corner.
struct Spot {
  int32_t left = 0, top = 0;
  bool operator==(const Spot&) const = default;
};

}  // namespace tv
