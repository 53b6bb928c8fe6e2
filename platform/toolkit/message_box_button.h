#pragma once
#include <cstdint>

#include "platform/base/types.h"

namespace tv {

// How a message box's OK button answers the player, whatever window shows it.
// Enter and Escape dismiss the box as they go down; Space pushes the button
// and its release clicks it; the left mouse button clicks it when pressed and
// released over it, the button showing pressed while held over it; closing the
// window dismisses the box. Keys are virtual-key codes, the pointer is in the
// box picture's pixels. A game controller answers with the keys PadKeys gives
// the box: its A pushes as Space does, B and Back are Escape, Start Enter.
class MessageBoxButton {
 public:
  // Where a key comes from: the box window's keyboard, or a pad.
  enum class From { Keyboard, Pad };

  explicit MessageBoxButton(Rect ok) : ok_(ok) {}

  // Each of these is true exactly once: for the input that dismissed the box.
  bool KeyDown(uint16_t key, bool repeat, From from);
  // `hasKeyboard`: the box window has the keyboard still; a keyboard's
  // release without it is the keyboard leaving, not the player letting go.
  bool KeyUp(uint16_t key, From from, bool hasKeyboard);
  bool MouseUp(MouseButton button, int x, int y);
  bool Close() { return Dismiss(); }

  void MouseDown(MouseButton button, int x, int y);
  void MouseMove(int x, int y);

  bool Pressed() const { return pressed_; }

 private:
  bool Dismiss();

  Rect ok_;
  bool pressed_ = false;    // the button shows pressed
  bool tracking_ = false;   // the left button went down on OK
  bool spaceHeld_[2] = {};  // Space went down in the box, by From
  bool dismissed_ = false;
};

}  // namespace tv
