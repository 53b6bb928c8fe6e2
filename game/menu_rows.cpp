// The menu's row arithmetic.
#include "game/menu_rows.h"

namespace tv {

int16_t RowAbove(int16_t index) { return int16_t(index - 1 < 0 ? kMenuRows - 1 : index - 1); }

int16_t RowBelow(int16_t index) { return int16_t(index + 1 > kMenuRows - 1 ? 0 : index + 1); }

int LitRow(int16_t index) { return index == 0 || index == 1 || index == 2 ? index : 3; }

}  // namespace tv
