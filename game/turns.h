#pragma once
#include <cstdint>
#include <optional>
#include <string>

namespace tv {

// Who plays next after a miss: the new Phase and Turn, Label2's caption, and
// whether the computer's delay starts.
struct HandOver {
  std::string phase, turn, label;
  bool computer = false;
};

// The hand-over table: the side that missed and the running mode (MenuIndex).
// Nothing for a pair that no mode produces.
std::optional<HandOver> AfterMiss(const std::string& missed, int16_t mode);

// The winner's message for the side whose shot hit ("" for no side).
const char* WinnerText(const std::string& turn);

}  // namespace tv
