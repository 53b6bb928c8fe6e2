#pragma once
#include <string>

#include "platform/base/event.h"
#include "platform/base/text.h"
#include "platform/files/windows_api.h"
#include "platform/toolkit/message_box_button.h"
#include "platform/toolkit/message_box_layout.h"
#include "platform/win32/win32_window.h"

namespace tv {

// A message box on Windows: a small window of its own, owned by the game's
// window, showing the toolkit's picture of the box (text, perhaps the stop
// icon, OK) with every pixel a scale x scale block as in the game's window.
// It is modeless: the loop that waits for it is the toolkit's, whose timers
// keep ticking; it only reports its dismissal.
class Win32MessageBox {
 public:
  // Shows it and gives it the keyboard. Throws std::runtime_error when the window cannot be made.
  Win32MessageBox(int id, const std::string& text, const std::string& caption, bool stopIcon,
                  TextRenderer& renderer, HWND owner, int scale, WindowHandler& handler);
  ~Win32MessageBox();
  Win32MessageBox(const Win32MessageBox&) = delete;
  Win32MessageBox& operator=(const Win32MessageBox&) = delete;

  int Id() const { return id_; }
  HWND Window() const { return window_; }
  bool HasKeyboard() const { return GetFocus() == window_; }

  // A key of its window's keyboard, or of a pad (PadKeys' keys for the box);
  // a message of its window. Each is true exactly once: when it dismissed the box.
  bool Key(uint16_t key, bool down, bool repeat);
  bool PadKey(const Event& key);
  // `handled` is false for what Windows' own handling should see.
  bool Message(UINT message, LPARAM lParam, bool& handled);

 private:
  bool Redrawn(bool dismissed);
  void Draw(HDC dc);

  int id_;
  int scale_;
  MessageBoxLayout layout_;
  MessageBoxButton button_;
  HWND window_ = nullptr;
  bool drawnPressed_ = false;  // the button as last drawn
};

}  // namespace tv
