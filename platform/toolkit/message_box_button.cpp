#include "platform/toolkit/message_box_button.h"

namespace tv {

bool MessageBoxButton::Dismiss() {
  if (dismissed_) return false;
  dismissed_ = true;
  return true;
}

bool MessageBoxButton::KeyDown(uint16_t key, bool repeat, From from) {
  // A key already held when the box opened only repeats: it must not
  // dismiss a box its owner never saw.
  if (repeat) return false;
  if (key == VK_RETURN || key == VK_ESCAPE) return Dismiss();
  if (key != VK_SPACE) return false;
  // Space pushes the button and its release clicks it, so the release is the
  // box's and never reaches the window beneath.
  spaceHeld_[int(from)] = true;
  pressed_ = true;
  return false;
}

bool MessageBoxButton::KeyUp(uint16_t key, From from, bool hasKeyboard) {
  if (key != VK_SPACE || !spaceHeld_[int(from)]) return false;
  spaceHeld_[int(from)] = false;
  pressed_ = false;
  // The keyboard leaving the window lets go of its held keys (SDL sends their
  // releases then); that is not the player's answer, so it cancels the push
  // and the box stays until they come back to it. A pad's release is theirs.
  return (from == From::Pad || hasKeyboard) && Dismiss();
}

void MessageBoxButton::MouseDown(MouseButton button, int x, int y) {
  if (button == MouseButton::Left && ok_.Contains(x, y)) tracking_ = pressed_ = true;
}

void MessageBoxButton::MouseMove(int x, int y) {
  if (tracking_) pressed_ = ok_.Contains(x, y);
}

bool MessageBoxButton::MouseUp(MouseButton button, int x, int y) {
  if (button != MouseButton::Left || !tracking_) return false;
  tracking_ = pressed_ = false;
  // A click is pressed and released over OK: a player who pressed by mistake
  // slides off to keep the box (SdlBackendOnX.ClickOnOkDismissesAndClicksElsewhereDoNot).
  return ok_.Contains(x, y) && Dismiss();
}

}  // namespace tv
