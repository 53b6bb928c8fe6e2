#include "platform/sdl/sdl_message_box.h"

#include <algorithm>
#include <stdexcept>

#include "platform/toolkit/codepage.h"
#include "platform/sdl/sdl_keys.h"
#include "platform/sdl/sdl_present.h"
#include "platform/sdl/sdl_x11_errors.h"

namespace tv {
namespace {

// Wraps text at about five eighths of the screen: an error report naming a long
// path stays a box of readable lines that fits the screen (the wrapping itself:
// MessageBoxPicture.LongLinesWrapAtSpacesWithinTheWidth).
int MaxTextWidth(SDL_Window* owner) {
  int display = owner ? SDL_GetWindowDisplayIndex(owner) : 0;
  SDL_Rect usable;
  if (SDL_GetDisplayUsableBounds(std::max(display, 0), &usable) != 0) return 480;
  return std::max(200, usable.w * 5 / 8);
}

// Drops queued events addressed to one window: input meant for an earlier box
// must not act on the next one shown in the same window.
int DropEventsOf(void* windowId, SDL_Event* e) {
  const Uint32 id = *static_cast<Uint32*>(windowId);
  switch (e->type) {
    case SDL_WINDOWEVENT: return e->window.windowID != id;
    case SDL_KEYDOWN:
    case SDL_KEYUP: return e->key.windowID != id;
    case SDL_MOUSEMOTION: return e->motion.windowID != id;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP: return e->button.windowID != id;
    case SDL_MOUSEWHEEL: return e->wheel.windowID != id;
    default: return 1;
  }
}

}  // namespace

SDL_Window* BoxWindowPool::Borrow(const std::string& title, int width, int height, SDL_Window* owner) {
  const int display = owner ? std::max(SDL_GetWindowDisplayIndex(owner), 0) : 0;
  const int centred = int(SDL_WINDOWPOS_CENTERED_DISPLAY(display));
  SDL_Window* window;
  if (!spare_.empty()) {
    window = spare_.back();
    spare_.pop_back();
    SDL_SetWindowTitle(window, title.c_str());
    SDL_SetWindowSize(window, width, height);
    SDL_SetWindowPosition(window, centred, centred);
    Uint32 id = SDL_GetWindowID(window);
    SDL_PumpEvents();
    SDL_FilterEvents(DropEventsOf, &id);
  } else {
    window = SDL_CreateWindow(title.c_str(), centred, centred, width, height, SDL_WINDOW_HIDDEN);
    if (!window) throw std::runtime_error(std::string("cannot open a message box window: ") + SDL_GetError());
    all_.push_back(window);
  }
  if (owner) SDL_SetWindowModalFor(window, owner);
  return window;
}

void BoxWindowPool::GiveBack(SDL_Window* window) {
  SDL_HideWindow(window);
  spare_.push_back(window);
}

void BoxWindowPool::DestroyAll() {
  for (SDL_Window* w : all_) DestroyWindowQuietly(w);
  all_.clear();
  spare_.clear();
}

SdlMessageBox::SdlMessageBox(int id, const std::string& text, const std::string& caption, bool stopIcon,
                             TextRenderer& renderer, SDL_Window* owner, BoxWindowPool& windows, int scale)
    : id_(id),
      windows_(windows),
      scale_(std::max(scale, 1)),
      layout_(LayoutMessageBox(renderer, text, stopIcon, MaxTextWidth(owner) / scale_)),
      button_(layout_.ok) {
  window_ = windows_.Borrow(Cp1252ToUtf8(caption), layout_.width * scale_, layout_.height * scale_, owner);
  windowId_ = SDL_GetWindowID(window_);
  SDL_ShowWindow(window_);
  Draw();
  // The box takes the keyboard, so Enter, Space and Escape reach it at once.
  SDL_RaiseWindow(window_);
  SDL_SetWindowInputFocus(window_);
}

SdlMessageBox::~SdlMessageBox() { windows_.GiveBack(window_); }

bool SdlMessageBox::HasKeyboard() const { return SDL_GetKeyboardFocus() == window_; }

void SdlMessageBox::Draw() {
  drawnPressed_ = button_.Pressed();
  Bitmap picture = PaintMessageBox(layout_, drawnPressed_);
  PresentToWindow(window_, picture, {Rect{0, 0, picture.width, picture.height}}, View{scale_, 0, 0});
}

// Draws the button again when the input changed its look.
bool SdlMessageBox::Redrawn(bool dismissed) {
  if (button_.Pressed() != drawnPressed_) Draw();
  return dismissed;
}

bool SdlMessageBox::Handle(const SDL_Event& e) {
  using From = MessageBoxButton::From;
  switch (e.type) {
    case SDL_WINDOWEVENT:
      switch (e.window.event) {
        case SDL_WINDOWEVENT_CLOSE:
          return button_.Close();
        case SDL_WINDOWEVENT_EXPOSED:
        case SDL_WINDOWEVENT_SHOWN:
        case SDL_WINDOWEVENT_RESTORED:
        case SDL_WINDOWEVENT_SIZE_CHANGED:
          Draw();
          break;
        default:
          break;
      }
      return false;
    case SDL_KEYDOWN:
      return Redrawn(button_.KeyDown(VirtualKeyOf(e.key.keysym), e.key.repeat, From::Keyboard));
    case SDL_KEYUP:
      return Redrawn(button_.KeyUp(VirtualKeyOf(e.key.keysym), From::Keyboard, HasKeyboard()));
    case SDL_MOUSEBUTTONDOWN:
      if (auto button = MouseButtonOf(e.button.button))
        button_.MouseDown(*button, Unscaled(e.button.x, scale_), Unscaled(e.button.y, scale_));
      return Redrawn(false);
    case SDL_MOUSEMOTION:
      button_.MouseMove(Unscaled(e.motion.x, scale_), Unscaled(e.motion.y, scale_));
      return Redrawn(false);
    case SDL_MOUSEBUTTONUP: {
      const auto button = MouseButtonOf(e.button.button);
      const int x = Unscaled(e.button.x, scale_), y = Unscaled(e.button.y, scale_);
      return Redrawn(button && button_.MouseUp(*button, x, y));
    }
    default:
      return false;
  }
}

bool SdlMessageBox::PadKey(const Event& key) {
  using From = MessageBoxButton::From;
  return Redrawn(key.type == Event::Type::KeyDown ? button_.KeyDown(key.key, false, From::Pad)
                                                : button_.KeyUp(key.key, From::Pad, false));
}

}  // namespace tv
