#include "platform/sdl/sdl_backend.h"

#include <SDL.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstdio>
#include <cstring>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>

#include "platform/base/require.h"
#include "platform/files/system.h"
#include "platform/toolkit/codepage.h"
#include "platform/sdl/sdl_keys.h"
#include "platform/sdl/sdl_main_window.h"
#include "platform/sound/audio_device.h"
#include "platform/sdl/sdl_bmp.h"
#include "platform/sdl/sdl_message_box.h"
#include "platform/sdl/sdl_pads.h"
#include "platform/sdl/sdl_present.h"
#include "platform/sdl/sdl_text.h"
#include "platform/sdl/sdl_window_keys.h"
#include "platform/sdl/sdl_x11_errors.h"
#include "platform/sdl/sdl_subsystems.h"

namespace tv {
namespace {

class SdlBackend : public Backend {
 public:
  SdlBackend(AudioDevice& audio, SdlWindowOptions options)
      : scale_(std::clamp(options.scale, 0, kMaxScale)), startFullscreen_(options.start.fullscreen), audio_(audio) {
    windowKeys_.SetMuted(options.start.muted);
    windowKeys_.Listen(std::move(options.changed));
    // The main window's close button is the program's quit request, not the
    // last window going away (a message box may be the last one closed).
    SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
    // A small window among the player's others, not a full-screen game: the
    // screen may still blank while it waits on the menu, the compositor keeps
    // drawing the other windows, and the click that brings the window forward
    // also reaches the menu row under it.
    SDL_SetHint(SDL_HINT_VIDEO_ALLOW_SCREENSAVER, "1");
    SDL_SetHint(SDL_HINT_VIDEO_X11_NET_WM_BYPASS_COMPOSITOR, "0");
    SDL_SetHint(SDL_HINT_MOUSE_FOCUS_CLICKTHROUGH, "1");
    // Fullscreen stays when a message box takes the keyboard.
    SDL_SetHint(SDL_HINT_VIDEO_MINIMIZE_ON_FOCUS_LOSS, "0");
    SDL_SetHint(SDL_HINT_APP_NAME, "Tarvolen");
    InstallX11ErrorFilter();
    if (!StartSdlPart(SDL_INIT_VIDEO))
      throw std::runtime_error(std::string("no display to show it on (") + SDL_GetError() +
                               "); Tarvolen needs a graphical desktop session");
    // Without a display SDL settles for a driver that shows nothing; a game
    // nobody can see is worse than saying so.
    const std::string driver = SDL_GetCurrentVideoDriver() ? SDL_GetCurrentVideoDriver() : "";
    if (driver == "offscreen" || driver == "dummy") {
      StopSdlPart(SDL_INIT_VIDEO);
      throw std::runtime_error("no display to show it on (only SDL's " + driver +
                               " video driver is available); Tarvolen needs a graphical desktop session");
    }
    // A plain X11 image behind the window surface, not OpenGL: without a GPU
    // GL means Mesa's software renderer, its threads and tens of megabytes,
    // for the very same pixels. Other drivers (Wayland's) have no plain
    // surface, only SDL's own; SDL reads the hint once, at the first surface,
    // so it is chosen here and not retried after a failure.
    if (driver == "x11") SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    userEvent_ = SDL_RegisterEvents(1);
    if (userEvent_ == Uint32(-1)) {
      StopSdlPart(SDL_INIT_VIDEO);
      throw std::runtime_error("SDL has no event type left for the game's own events");
    }
    // Typing goes nowhere in this program; no input method is needed.
    SDL_StopTextInput();
    text_ = MakeSdlTextRenderer();
  }

  ~SdlBackend() override {
    pads_.Stop();
    DropPostedEvents();
    boxes_.clear();
    boxWindows_.DestroyAll();
    window_.Destroy();
    text_.reset();
    // Not SDL_Quit: that unloads libdbus, and the leak checker of sanitizer
    // builds then loses the names it suppresses (see below).
    StopSdlPart(SDL_INIT_VIDEO);
  }

  uint64_t NowMs() override { return SDL_GetTicks64(); }
  uint64_t PerformanceCounter() override { return SDL_GetPerformanceCounter(); }
  void SleepMs(uint32_t ms) override { SDL_Delay(ms); }

  bool PollEvent(Event& ev) override {
    if (NextPadKey(ev)) return true;
    SDL_Event e;
    while (SDL_PollEvent(&e))
      if (Translate(e, ev)) return true;
    return false;
  }

  bool WaitEvent(Event& ev, int64_t timeoutMs, bool /*nested*/) override {
    pads_.Start();
    const uint64_t deadline = timeoutMs < 0 ? 0 : NowMs() + uint64_t(timeoutMs);
    for (;;) {
      if (NextPadKey(ev)) return true;
      SDL_Event e;
      int got;
      // Recomputed on every pass: skipped events must not stretch the wait.
      const uint64_t now = NowMs();
      if (timeoutMs >= 0 && now >= deadline) return PollEvent(ev);
      const int64_t wait = pads_.Limit(timeoutMs < 0 ? -1 : int64_t(std::min<uint64_t>(deadline - now, INT_MAX)));
      if (wait < 0) {
        got = SDL_WaitEvent(&e);
        if (!got) SDL_Delay(1);  // an error of the queue: do not spin on it
      } else {
        got = SDL_WaitEventTimeout(&e, int(wait));
      }
      if (got && Translate(e, ev)) return true;
    }
  }

  void PostEvent(const Event& ev) override {
    SDL_Event e{};
    e.type = userEvent_;
    e.user.data1 = new Event(ev);
    if (SDL_PushEvent(&e) != 1) {
      delete static_cast<Event*>(e.user.data1);
      std::fprintf(stderr, "tarvolen: an event was lost: %s\n", SDL_GetError());
    }
  }

  void CreateMainWindow(int clientWidth, int clientHeight, const std::string& title,
                        const ArgbImage& icon) override {
    window_.Create(clientWidth, clientHeight, title, icon, scale_, startFullscreen_);
  }

  void ShowMainWindow() override { window_.Show(); }
  void SetTitle(const std::string& title) override { window_.SetTitle(title); }
  int FrameWidth() override { return window_.FrameWidth(); }

  void Present(const Bitmap& framebuffer, const std::vector<Rect>& rects) override {
    window_.Present(framebuffer, rects);
  }

  int OpenMessageBox(const std::string& text, const std::string& caption, bool stopIcon) override {
    int id = nextBoxId_++;
    try {
      boxes_[id] = std::make_unique<SdlMessageBox>(id, text, caption, stopIcon, *text_, window_.Get(), boxWindows_,
                                                    window_.Scale());
      // The box asked for the keyboard: a pad's press on the way is the box's.
      pads_.HandOver(boxes_[id]->WindowId());
    } catch (const std::exception& e) {
      // Nobody could ever dismiss an unseen box: say it on stderr and let it go.
      std::fprintf(stderr, "tarvolen: %s\n%s: %s\n", e.what(), caption.c_str(), text.c_str());
      Event dismissed;
      dismissed.type = Event::Type::DialogDismissed;
      dismissed.id = id;
      PostEvent(dismissed);
    }
    return id;
  }

  void CloseMessageBox(int id) override {
    auto it = boxes_.find(id);
    if (it == boxes_.end()) return;
    bool hadKeyboard = it->second->HasKeyboard();
    boxes_.erase(it);
    // Without a window manager nobody else hands the keyboard back.
    if (hadKeyboard && window_.Shown()) {
      auto top = TopBox();
      const Uint32 next = top ? top->WindowId() : window_.Id();
      SDL_SetWindowInputFocus(SDL_GetWindowFromID(next));
      pads_.HandOver(next);
    }
  }

  void Beep() override { audio_.Beep(); }
  TextRenderer& Text() override { return *text_; }

 private:
  SdlMessageBox* BoxOfWindow(Uint32 windowId) {
    for (auto& [id, box] : boxes_)
      if (box->WindowId() == windowId) return box.get();
    return nullptr;
  }
  SdlMessageBox* TopBox() { return boxes_.empty() ? nullptr : boxes_.rbegin()->second.get(); }

  bool ToBox(SdlMessageBox* box, const SDL_Event& e, Event& out) {
    return box && box->Handle(e) && Dismissed(*box, out);
  }

  bool Dismissed(const SdlMessageBox& box, Event& out) {
    out = Event{};
    out.type = Event::Type::DialogDismissed;
    out.id = box.Id();
    return true;
  }

  // The pads' next key for the game. Their keys for a box go to the box on
  // top, as the keyboard's go to the box that has it; the one that dismisses
  // it gives the dismissal.
  bool NextPadKey(Event& out) {
    PadKeys::Key key;
    while (pads_.Next(key)) {
      if (!key.forBox) {
        out = key.event;
        return true;
      }
      SdlMessageBox* box = TopBox();
      if (box && box->PadKey(key.event)) return Dismissed(*box, out);
    }
    return false;
  }

  bool Translate(const SDL_Event& e, Event& out) {
    if (e.type == userEvent_) {
      auto* posted = static_cast<Event*>(e.user.data1);
      out = *posted;
      delete posted;
      return true;
    }
    if (pads_.Translate(e, window_.Id(), TopBox() != nullptr)) return NextPadKey(out);
    switch (e.type) {
      case SDL_QUIT:
        out = Event{};
        out.type = Event::Type::Quit;
        return true;
      case SDL_WINDOWEVENT:
        if (e.window.windowID != window_.Id()) return ToBox(BoxOfWindow(e.window.windowID), e, out);
        return MainWindowEvent(e.window, out);
      case SDL_KEYDOWN:
      case SDL_KEYUP: {
        if (windowKeys_.Claim(e.key, window_.Get())) return false;
        // A key without a window goes to the box on top, if any, as focus would have it.
        SdlMessageBox* box = e.key.windowID ? BoxOfWindow(e.key.windowID) : TopBox();
        if (box) return ToBox(box, e, out);
        // SDL releases every held key when the keyboard leaves the window.
        // The user released nothing: a charge held over a message box or a
        // switch to another program must not fire.
        if (e.type == SDL_KEYUP && e.key.windowID == window_.Id() && SDL_GetKeyboardFocus() != window_.Get())
          return false;
        uint16_t vk = VirtualKeyOf(e.key.keysym);
        if (!vk) return false;
        out = Event::Key(e.type == SDL_KEYDOWN ? Event::Type::KeyDown : Event::Type::KeyUp, vk);
        return true;
      }
      case SDL_MOUSEMOTION:
        ReleaseStaleCapture();
        if (e.motion.windowID != window_.Id()) return ToBox(BoxOfWindow(e.motion.windowID), e, out);
        out = Event::Mouse(Event::Type::MouseMove, window_.PictureX(e.motion.x), window_.PictureY(e.motion.y));
        return true;
      case SDL_MOUSEBUTTONDOWN:
      case SDL_MOUSEBUTTONUP:
        if (e.button.windowID != window_.Id()) return ToBox(BoxOfWindow(e.button.windowID), e, out);
        return MainWindowButton(e.button, out);
      default:
        return false;
    }
  }

  bool MainWindowEvent(const SDL_WindowEvent& e, Event& out) {
    out = Event{};
    switch (e.event) {
      case SDL_WINDOWEVENT_CLOSE:
        out.type = Event::Type::Quit;
        return true;
      case SDL_WINDOWEVENT_SHOWN:
      case SDL_WINDOWEVENT_EXPOSED:
      case SDL_WINDOWEVENT_RESTORED:
        out.type = Event::Type::Expose;
        return true;
      case SDL_WINDOWEVENT_SIZE_CHANGED:
        // The pointer is mapped anew at once; Present draws the new size in full.
        window_.Resized(e.data1, e.data2);
        out.type = Event::Type::Expose;
        return true;
      default:
        return false;
    }
  }

  bool MainWindowButton(const SDL_MouseButtonEvent& b, Event& out) {
    auto button = MouseButtonOf(b.button);
    if (!button) return false;
    bool down = b.type == SDL_MOUSEBUTTONDOWN;
    Uint32 bit = SDL_BUTTON(b.button);
    bool wasHeld = held_ != 0;
    held_ = down ? held_ | bit : held_ & ~bit;
    // While a button is held its release must arrive, wherever the pointer is.
    if (!wasHeld && held_) SDL_CaptureMouse(SDL_TRUE);
    if (wasHeld && !held_) SDL_CaptureMouse(SDL_FALSE);
    out = Event::Mouse(down ? Event::Type::MouseDown : Event::Type::MouseUp, window_.PictureX(b.x),
                       window_.PictureY(b.y), *button);
    return true;
  }

  // A release that never reached us must not leave the pointer held forever.
  void ReleaseStaleCapture() {
    if (held_ && SDL_GetMouseState(nullptr, nullptr) == 0) {
      held_ = 0;
      SDL_CaptureMouse(SDL_FALSE);
    }
  }

  // Posted events still queued own their copies.
  void DropPostedEvents() {
    SDL_Event e;
    while (SDL_PeepEvents(&e, 1, SDL_GETEVENT, userEvent_, userEvent_) > 0) delete static_cast<Event*>(e.user.data1);
  }

  const int scale_;  // the window's scale when not fullscreen; 0: what suits the display
  const bool startFullscreen_;
  SdlMainWindow window_;
  Uint32 userEvent_ = 0;
  Uint32 held_ = 0;  // mouse buttons held on the main window
  std::unique_ptr<TextRenderer> text_;
  BoxWindowPool boxWindows_;  // outlives the boxes shown in it
  std::map<int, std::unique_ptr<SdlMessageBox>> boxes_;
  int nextBoxId_ = 1;
  AudioDevice& audio_;
  WindowKeys windowKeys_{audio_};
  Pads pads_;  // read on this loop's own wake-ups
};

}  // namespace

std::unique_ptr<Backend> MakeSdlBackend(AudioDevice& audio, SdlWindowOptions options) {
  InstallSdlBitmapDecoder();
  return std::make_unique<SdlBackend>(audio, std::move(options));
}

}  // namespace tv

// Sanitizer builds only: libdbus, which SDL's X11 input-method support loads,
// keeps blocks that the leak checker reports at exit. Frames of that loaded
// library are sometimes named after the sanitizer's own runtime. Not ours to free.
extern "C" const char* __lsan_default_suppressions() { return "leak:libdbus-1.so\nleak:libubsan.so\n"; }
// What was suppressed is no news at a clean exit: the leak checker lists only leaks.
extern "C" const char* __lsan_default_options() { return "print_suppressions=0"; }
