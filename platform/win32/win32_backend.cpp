#include "platform/win32/win32_backend.h"

#include <algorithm>
#include <bitset>
#include <climits>
#include <cstdio>
#include <deque>
#include <map>
#include <stdexcept>

#include "platform/files/windows_api.h"
#include "platform/sound/audio_device.h"
#include "platform/toolkit/pad_keys.h"
#include "platform/toolkit/view.h"
#include "platform/win32/win32_loop.h"
#include "platform/win32/win32_main_window.h"
#include "platform/win32/win32_message_box.h"
#include "platform/win32/win32_pads.h"
#include "platform/win32/win32_text.h"

namespace tv {
namespace {

// Windows' virtual-key codes are the game's (platform/base/types.h); these
// are the modifiers and the keys Windows keeps for itself.
constexpr uint16_t kVkControl = 17, kVkAlt = 18, kVkF4 = 115, kVkLeftWin = 0x5B, kVkRightWin = 0x5C;

// Read 125 times a second while a pad is plugged in, as on Linux: a press
// reaches the game at most 8 ms late, and the wait sleeps in between.
constexpr uint64_t kPadReadMs = 8;

bool Held(int key) { return GetKeyState(key) < 0; }

// The program's windows as PadKeys numbers them; Windows' handles fit 32 bits.
uint32_t Number(HWND window) { return uint32_t(reinterpret_cast<uintptr_t>(window)); }

class Win32Backend : public Backend, public WindowHandler {
 public:
  Win32Backend(AudioDevice& audio, Win32WindowOptions options)
      : scale_(std::clamp(options.scale, 0, kMaxScale)),
        startFullscreen_(options.start.fullscreen),
        listener_(std::move(options.changed)),
        audio_(audio),
        text_(MakeGdiTextRenderer()) {
    audio_.SetMuted(muted_ = options.start.muted);
  }

  ~Win32Backend() override {
    boxes_.clear();
    window_.Destroy();
  }

  uint64_t NowMs() override { return loop_.NowMs(); }
  uint64_t PerformanceCounter() override { return Win32Loop::Counter(); }
  void SleepMs(uint32_t ms) override { loop_.Sleep(ms); }

  bool PollEvent(Event& ev) override {
    if (NextPadKey(ev) || Pending(ev) || loop_.TakePosted(ev)) return true;
    MSG msg;
    // No TranslateMessage: the game reads keys, not characters, and Alt's
    // characters would only ring the system's bell.
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      DispatchMessageW(&msg);
      if (Pending(ev)) return true;
    }
    return NextPadKey(ev);
  }

  bool WaitEvent(Event& ev, int64_t timeoutMs, bool /*nested*/) override {
    // Controllers once the first picture is up: start-up never waits for XInput.
    if (!pads_) pads_ = std::make_unique<XInputPads>();
    const uint64_t deadline = timeoutMs < 0 ? 0 : NowMs() + uint64_t(timeoutMs);
    for (;;) {
      if (PollEvent(ev)) return true;
      // Recomputed on every pass: messages that gave no event must not stretch the wait.
      const uint64_t now = NowMs();
      if (timeoutMs >= 0 && now >= deadline) return false;
      int64_t wait = timeoutMs < 0 ? -1 : int64_t(std::min<uint64_t>(deadline - now, INT_MAX));
      if (padConnected_) wait = WaitAtMost(wait, now, nextPadRead_);
      loop_.Wait(keys_.Limit(wait, now));
    }
  }

  void PostEvent(const Event& ev) override { loop_.Post(ev); }

  void CreateMainWindow(int clientWidth, int clientHeight, const std::string& title,
                        const ArgbImage& icon) override {
    window_.Create(clientWidth, clientHeight, title, icon, scale_, startFullscreen_, *this);
  }
  void ShowMainWindow() override { window_.Show(); }
  void SetTitle(const std::string& title) override { window_.SetTitle(title); }
  int FrameWidth() override { return window_.FrameWidth(); }
  void Present(const Bitmap& framebuffer, const std::vector<Rect>& rects) override {
    window_.Present(framebuffer, rects);
  }

  int OpenMessageBox(const std::string& text, const std::string& caption, bool stopIcon) override {
    const int id = nextBoxId_++;
    try {
      auto box = std::make_unique<Win32MessageBox>(id, text, caption, stopIcon, *text_, window_.Get(),
                                                   window_.Scale(), *this);
      // The box asked for the keyboard: a pad's press on the way is the box's.
      keys_.HandOver(Number(box->Window()), NowMs());
      boxes_[id] = std::move(box);
    } catch (const std::exception& e) {
      // Nobody could ever dismiss an unseen box: say it on stderr and let it go.
      std::fprintf(stderr, "tarvolen: %s\n%s: %s\n", e.what(), caption.c_str(), text.c_str());
      pending_.push_back(Dismissal(id));
    }
    return id;
  }

  void CloseMessageBox(int id) override {
    auto it = boxes_.find(id);
    if (it == boxes_.end()) return;
    const bool hadKeyboard = it->second->HasKeyboard();
    HWND next = window_.Get();
    for (auto& [other, box] : boxes_)
      if (other != id) next = box->Window();
    // The keyboard goes back before the box goes, so that Windows never hands
    // it to another program's window meanwhile.
    if (hadKeyboard && next && IsWindowVisible(next)) {
      SetActiveWindow(next);
      keys_.HandOver(Number(next), NowMs());
    }
    boxes_.erase(it);
  }

  void Beep() override { audio_.Beep(); }
  TextRenderer& Text() override { return *text_; }

 private:
  static Event Dismissal(int id) {
    Event e;
    e.type = Event::Type::DialogDismissed;
    e.id = id;
    return e;
  }

  bool Pending(Event& ev) {
    if (pending_.empty()) return false;
    ev = pending_.front();
    pending_.pop_front();
    return true;
  }

  Win32MessageBox* BoxOf(HWND window) {
    for (auto& [id, box] : boxes_)
      if (box->Window() == window) return box.get();
    return nullptr;
  }
  Win32MessageBox* TopBox() { return boxes_.empty() ? nullptr : boxes_.rbegin()->second.get(); }

  // The pads are read when a read is due: every kPadReadMs while one is
  // plugged in; without one, only at first and after Windows said a device
  // came or went, so that neither the idle menu nor a match's ticks look for
  // pads that are not there. Their keys for a box go to the box on top.
  bool NextPadKey(Event& out) {
    if (!pads_) return false;
    const uint64_t now = NowMs();
    if (padConnected_ ? now >= nextPadRead_ : padsChanged_) {
      padsChanged_ = false;
      nextPadRead_ = now + kPadReadMs;
      padConnected_ = pads_->Poll(keys_, now, !boxes_.empty());
    }
    PadKeys::Key key;
    while (keys_.Next(now, key)) {
      if (!key.forBox) {
        out = key.event;
        return true;
      }
      Win32MessageBox* box = TopBox();
      if (box && box->PadKey(key.event)) {
        out = Dismissal(box->Id());
        return true;
      }
    }
    return false;
  }

  LRESULT Handle(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override {
    switch (message) {
      case WM_KEYDOWN:
      case WM_SYSKEYDOWN:
      case WM_KEYUP:
      case WM_SYSKEYUP:
        // Alt+F4 closes the window as everywhere on Windows.
        if (wParam == kVkF4 && message == WM_SYSKEYDOWN) break;
        Key(window, uint16_t(wParam), lParam, message == WM_KEYDOWN || message == WM_SYSKEYDOWN);
        return 0;
      case WM_SETFOCUS:
        keys_.KeyboardAt(Number(window));
        return 0;
      case WM_KILLFOCUS:
        keys_.KeyboardAt(0);
        // Windows sends no release for the keys held as the keyboard leaves;
        // the game's wait for one, and the pads' keys, end here (a charge held
        // over a message box or a switch to another program must not fire).
        if (window == window_.Get()) {
          keys_.FocusLost();
          down_.reset();
        }
        return 0;
      case WM_DEVICECHANGE:
        padsChanged_ = true;
        if (pads_) pads_->Rescan();
        return TRUE;
      case WM_ERASEBKGND:
        return 1;  // everything is painted from the picture or black
      default:
        break;
    }
    if (window == window_.Get()) {
      if (MainMessage(message, lParam)) return 0;
    } else if (Win32MessageBox* box = BoxOf(window)) {
      bool handled = false;
      if (box->Message(message, lParam, handled)) pending_.push_back(Dismissal(box->Id()));
      if (handled) return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
  }

  void Key(HWND window, uint16_t vk, LPARAM lParam, bool down) {
    if (vk == 0 || vk == 0xFF) return;
    const bool repeat = down && (lParam & (LPARAM(1) << 30)) != 0;
    const KeyStroke stroke{vk, int((lParam >> 16) & 0x1FF), down, repeat, Held(kVkAlt),
                           Held(kVkControl) || Held(kVkLeftWin) || Held(kVkRightWin)};
    switch (ownKeys_.Claim(stroke)) {
      case OwnKeys::Use::Game:
        break;
      case OwnKeys::Use::Swallowed:
        return;
      case OwnKeys::Use::Fullscreen:
        window_.SwitchFullscreen();
        Tell();
        return;
      case OwnKeys::Use::Mute:
        audio_.SetMuted(muted_ = !muted_);
        Tell();
        return;
    }
    if (Win32MessageBox* box = BoxOf(window)) {
      if (box->Key(vk, down, repeat)) pending_.push_back(Dismissal(box->Id()));
      return;
    }
    if (window != window_.Get()) return;
    // A release is the game's only after its press was, while the window had the keyboard.
    if (!down && !down_[vk]) return;
    down_[vk] = down;
    pending_.push_back(Event::Key(down ? Event::Type::KeyDown : Event::Type::KeyUp, vk));
  }

  bool MainMessage(UINT message, LPARAM lParam) {
    const int x = window_.PictureX(PointerX(lParam)), y = window_.PictureY(PointerY(lParam));
    switch (message) {
      case WM_CLOSE: {
        Event quit;
        quit.type = Event::Type::Quit;
        pending_.push_back(quit);
        return true;
      }
      case WM_PAINT:
        window_.Paint();
        return true;
      case WM_SIZE:
        window_.Resized();
        return true;
      case WM_DPICHANGED:
        // The picture keeps its whole scale on a display of another scaling.
        return true;
      case WM_MOUSEMOVE:
        pending_.push_back(Event::Mouse(Event::Type::MouseMove, x, y));
        return true;
      case WM_LBUTTONDOWN: return Button(MouseButton::Left, true, x, y);
      case WM_RBUTTONDOWN: return Button(MouseButton::Right, true, x, y);
      case WM_MBUTTONDOWN: return Button(MouseButton::Middle, true, x, y);
      case WM_LBUTTONUP: return Button(MouseButton::Left, false, x, y);
      case WM_RBUTTONUP: return Button(MouseButton::Right, false, x, y);
      case WM_MBUTTONUP: return Button(MouseButton::Middle, false, x, y);
      case WM_CAPTURECHANGED:
        // Taken by another window: the releases will not come here.
        if (reinterpret_cast<HWND>(lParam) != window_.Get()) buttons_ = 0;
        return true;
      default:
        return false;
    }
  }

  bool Button(MouseButton button, bool down, int x, int y) {
    const unsigned bit = 1u << int(button), was = buttons_;
    buttons_ = down ? buttons_ | bit : buttons_ & ~bit;
    // While a button is held its release must arrive, wherever the pointer is.
    if (!was && buttons_) SetCapture(window_.Get());
    pending_.push_back(Event::Mouse(down ? Event::Type::MouseDown : Event::Type::MouseUp, x, y, button));
    if (was && !buttons_) ReleaseCapture();
    return true;
  }

  void Tell() {
    if (listener_) listener_({window_.Fullscreen(), muted_});
  }

  const int scale_;  // the window's scale when not fullscreen; 0: what suits the display
  const bool startFullscreen_;
  WindowChoicesListener listener_;
  AudioDevice& audio_;
  std::unique_ptr<TextRenderer> text_;
  Win32Loop loop_;
  Win32MainWindow window_;
  std::deque<Event> pending_;  // what the window procedures heard, for the loop
  std::map<int, std::unique_ptr<Win32MessageBox>> boxes_;
  int nextBoxId_ = 1;
  OwnKeys ownKeys_;
  bool muted_ = false;
  std::bitset<256> down_;  // keys the game saw pressed and not yet released
  unsigned buttons_ = 0;   // mouse buttons held on the main window
  PadKeys keys_;
  std::unique_ptr<XInputPads> pads_;  // made when the loop first waits
  bool padsChanged_ = true;           // look for pads at the next read; true for the first
  bool padConnected_ = false;
  uint64_t nextPadRead_ = 0;
};

}  // namespace

std::unique_ptr<Backend> MakeWin32Backend(AudioDevice& audio, Win32WindowOptions options) {
  return std::make_unique<Win32Backend>(audio, std::move(options));
}

}  // namespace tv
