#pragma once
#include <SDL.h>

#include <string>

#include "platform/sdl/sdl_msgbox_layout.h"
#include "platform/text.h"

namespace tv {

// A message box: a small window of its own with the text, perhaps the stop
// icon, and an OK button. It only reports its dismissal; the loop that waits
// for it is the toolkit's.
class SdlMessageBox {
 public:
  // Throws std::runtime_error when the window cannot be made.
  SdlMessageBox(int id, const std::string& text, const std::string& caption, bool stopIcon,
                TextRenderer& renderer, SDL_Window* owner);
  ~SdlMessageBox();
  SdlMessageBox(const SdlMessageBox&) = delete;
  SdlMessageBox& operator=(const SdlMessageBox&) = delete;

  int Id() const { return id_; }
  Uint32 WindowId() const { return windowId_; }
  bool HasKeyboard() const;

  // Takes an event addressed to this window (every other input of it is
  // swallowed). True exactly once: when this event dismissed the box.
  bool Handle(const SDL_Event& e);

 private:
  bool Dismiss();
  void Draw();
  void SetPressed(bool pressed);

  int id_;
  SDL_Window* window_ = nullptr;
  Uint32 windowId_ = 0;
  MessageBoxLayout layout_;
  bool pressed_ = false;    // the button shows pressed
  bool tracking_ = false;   // the left button went down on OK
  bool spaceHeld_ = false;  // Space went down in the box
  bool dismissed_ = false;
};

}  // namespace tv
