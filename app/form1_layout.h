#pragma once
#include "platform/base/types.h"

// The values of the window's layout that more than one place reads: the menu
// rows' colours and bounds. The handlers and the tests use these names.
namespace tv {

inline constexpr TColor kRowColor = 0xFD7471;  // 16610417: light violet-blue
inline constexpr TColor kRowHighlight = clRed;
// Panel1..Panel4, top to bottom.
inline constexpr Rect kRowBounds[4] = {{192, 136, 193, 25}, {192, 169, 193, 25}, {192, 200, 193, 25},
                                       {192, 232, 193, 25}};

constexpr Point RowCentre(int row) {
  return {kRowBounds[row].x + kRowBounds[row].w / 2, kRowBounds[row].y + kRowBounds[row].h / 2};
}

}  // namespace tv
