#include "platform/sdl/sdl_message_box.h"

#include <algorithm>
#include <stdexcept>

#include "platform/toolkit/codepage.h"
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
      layout_(LayoutMessageBox(renderer, text, stopIcon, MaxTextWidth(owner) / scale_)) {
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
  Bitmap picture = PaintMessageBox(layout_, pressed_);
  PresentToWindow(window_, picture, {Rect{0, 0, picture.width, picture.height}}, View{scale_, 0, 0});
}

bool SdlMessageBox::OnOk(int x, int y) const {
  return layout_.ok.Contains(Unscaled(x, scale_), Unscaled(y, scale_));
}

void SdlMessageBox::SetPressed(bool pressed) {
  if (pressed == pressed_) return;
  pressed_ = pressed;
  Draw();
}

bool SdlMessageBox::Dismiss() {
  if (dismissed_) return false;
  dismissed_ = true;
  return true;
}

bool SdlMessageBox::Handle(const SDL_Event& e) {
  switch (e.type) {
    case SDL_WINDOWEVENT:
      switch (e.window.event) {
        case SDL_WINDOWEVENT_CLOSE:
          return Dismiss();
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
      // A key already held when the box opened only repeats: it must not
      // dismiss a box its owner never saw.
      if (e.key.repeat) return false;
      switch (e.key.keysym.sym) {
        case SDLK_RETURN:
        case SDLK_KP_ENTER:
        case SDLK_ESCAPE:
          return Dismiss();
        case SDLK_SPACE:
          // Space pushes the button and its release clicks it, so the
          // release is the box's and never reaches the window beneath.
          spaceHeld_ = true;
          SetPressed(true);
          return false;
        default:
          return false;
      }
    case SDL_KEYUP: {
      if (e.key.keysym.sym != SDLK_SPACE || !spaceHeld_) return false;
      spaceHeld_ = false;
      SetPressed(false);
      // SDL releases every held key when the keyboard leaves the window; that
      // release is not the player's answer, so it cancels the push and the box
      // stays until they come back to it.
      return SDL_GetKeyboardFocus() == window_ && Dismiss();
    }
    case SDL_CONTROLLERBUTTONDOWN:
    case SDL_CONTROLLERBUTTONUP:
      return PadButton(e.cbutton);
    case SDL_MOUSEBUTTONDOWN:
      if (e.button.button == SDL_BUTTON_LEFT && OnOk(e.button.x, e.button.y)) {
        tracking_ = true;
        SetPressed(true);
      }
      return false;
    case SDL_MOUSEMOTION:
      if (tracking_) SetPressed(OnOk(e.motion.x, e.motion.y));
      return false;
    case SDL_MOUSEBUTTONUP:
      if (e.button.button != SDL_BUTTON_LEFT || !tracking_) return false;
      tracking_ = false;
      SetPressed(false);
      // A click is pressed and released over OK: a player who pressed by mistake
      // slides off to keep the box (SdlBackendOnX.ClickOnOkDismissesAndClicksElsewhereDoNot).
      return OnOk(e.button.x, e.button.y) && Dismiss();
    default:
      return false;
  }
}

// A pad answers as its keys would: A as Space (it pushes the button and its
// release clicks it), B and Back as Escape, Start as Enter.
bool SdlMessageBox::PadButton(const SDL_ControllerButtonEvent& b) {
  const bool down = b.type == SDL_CONTROLLERBUTTONDOWN;
  switch (b.button) {
    case SDL_CONTROLLER_BUTTON_B:
    case SDL_CONTROLLER_BUTTON_BACK:
    case SDL_CONTROLLER_BUTTON_START:
      return down && Dismiss();
    case SDL_CONTROLLER_BUTTON_A:
      if (down) {
        padHeld_ = true;
        SetPressed(true);
        return false;
      }
      if (!padHeld_) return false;
      padHeld_ = false;
      SetPressed(false);
      return Dismiss();
    default:
      return false;
  }
}

}  // namespace tv
