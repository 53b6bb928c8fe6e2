#pragma once
#include <cstdint>

namespace tv {

constexpr int kMenuRows = 4;

// The menu's highlight moved by Up and Down: it wraps round the four rows.
int16_t RowAbove(int16_t index);
int16_t RowBelow(int16_t index);

// The row drawn highlighted for a MenuIndex: 0, 1 and 2 their own, anything else Exit.
int LitRow(int16_t index);

}  // namespace tv
