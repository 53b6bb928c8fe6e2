#pragma once
#include <SDL.h>

#include <string>
#include <vector>

#include "platform/base/event.h"
#include "platform/base/text.h"
#include "platform/toolkit/message_box_button.h"
#include "platform/toolkit/message_box_layout.h"

namespace tv {

// The windows message boxes are shown in. A box window is hidden when its box
// is dismissed and kept for the next box, never destroyed while the program
// runs: SDL wakes a waiting event loop by sending an X message to its newest
// window, from whatever thread posts an event, and a window destroyed while
// such a message is on its way is an X error that ends the program.
class BoxWindowPool {
 public:
  BoxWindowPool() = default;
  ~BoxWindowPool() { DestroyAll(); }
  BoxWindowPool(const BoxWindowPool&) = delete;
  BoxWindowPool& operator=(const BoxWindowPool&) = delete;

  // A hidden window of that title and client size, centred on the owner's
  // display, with no input of an earlier box still queued for it. Throws
  // std::runtime_error when no window can be made.
  SDL_Window* Borrow(const std::string& title, int width, int height, SDL_Window* owner);
  // Hides the window and keeps it for the next box.
  void GiveBack(SDL_Window* window);
  // At shutdown, before the video subsystem goes.
  void DestroyAll();

 private:
  std::vector<SDL_Window*> all_, spare_;
};

// A message box: a small window of its own with the text, perhaps the stop
// icon, and an OK button (MessageBoxButton), every pixel a scale x scale block
// as in the game's window. It only reports its dismissal; the loop that waits
// for it is the toolkit's.
class SdlMessageBox {
 public:
  // Throws std::runtime_error when the window cannot be made.
  SdlMessageBox(int id, const std::string& text, const std::string& caption, bool stopIcon,
                TextRenderer& renderer, SDL_Window* owner, BoxWindowPool& windows, int scale = 1);
  ~SdlMessageBox();
  SdlMessageBox(const SdlMessageBox&) = delete;
  SdlMessageBox& operator=(const SdlMessageBox&) = delete;

  int Id() const { return id_; }
  Uint32 WindowId() const { return windowId_; }
  bool HasKeyboard() const;

  // Takes an event addressed to this window, or a game controller's key for
  // the box (PadKeys). True exactly once: when it dismissed the box.
  bool Handle(const SDL_Event& e);
  bool PadKey(const Event& key);

 private:
  bool Redrawn(bool dismissed);
  void Draw();

  int id_;
  BoxWindowPool& windows_;
  SDL_Window* window_ = nullptr;
  Uint32 windowId_ = 0;
  int scale_;
  MessageBoxLayout layout_;
  MessageBoxButton button_;
  bool drawnPressed_ = false;  // the button as last drawn
};

}  // namespace tv
