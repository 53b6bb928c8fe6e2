#pragma once
#include <cstdint>

#include "platform/base/types.h"

namespace tv {

// One event of the loop, as a backend delivers it.
struct Event {
  enum class Type {
    KeyDown,          // key: virtual-key code (repeats arrive as further KeyDowns)
    KeyUp,            // key
    MouseMove,        // x, y (client coordinates)
    MouseDown,        // x, y, button
    MouseUp,          // x, y, button
    Quit,             // the main window was closed
    DialogDismissed,  // id: the message box that was dismissed
    MediaNotify,      // id: device whose playing ended; param: notify code
    Expose,           // the window must be drawn again in full
  };
  Type type = Type::Expose;
  uint16_t key = 0;
  int x = 0, y = 0;
  MouseButton button = MouseButton::Left;
  int id = 0;
  uint32_t param = 0;

  static Event Key(Type t, uint16_t k) {
    Event e;
    e.type = t;
    e.key = k;
    return e;
  }
  static Event Mouse(Type t, int x, int y, MouseButton b = MouseButton::Left) {
    Event e;
    e.type = t;
    e.x = x;
    e.y = y;
    e.button = b;
    return e;
  }
};

}  // namespace tv
