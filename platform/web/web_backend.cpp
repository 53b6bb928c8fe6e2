#include "platform/web/web_backend.h"

#include <algorithm>
#include <bitset>
#include <cmath>
#include <deque>
#include <map>

#include "platform/sound/audio_device.h"
#include "platform/toolkit/message_box_button.h"
#include "platform/toolkit/message_box_layout.h"
#include "platform/web/web_page.h"

namespace tv {
namespace {

// Boxes wrap their lines at this width: the game's own picture is 586 wide.
constexpr int kBoxTextWidth = 480;

// A message box drawn by the page over the game: the toolkit's picture of
// it, its OK button pressed and released by keys and the pointer.
class WebBox {
 public:
  WebBox(int id, const std::string& text, const std::string& caption, bool stopIcon, TextRenderer& renderer)
      : id_(id), layout_(LayoutMessageBox(renderer, text, stopIcon, kBoxTextWidth)), button_(layout_.ok) {
    page::OpenBox(id_, caption, layout_.width, layout_.height);
    Draw();
  }
  ~WebBox() { page::CloseBox(id_); }
  WebBox(const WebBox&) = delete;
  WebBox& operator=(const WebBox&) = delete;

  // Each is true exactly once: when it dismissed the box.
  bool Key(uint16_t key, bool down, bool repeat) {
    using From = MessageBoxButton::From;
    return Redrawn(down ? button_.KeyDown(key, repeat, From::Keyboard) : button_.KeyUp(key, From::Keyboard, true));
  }
  bool Pointer(const page::Input& in) {
    const MouseButton button = ButtonOf(in.c);
    switch (in.kind) {
      case page::Input::PointerDown:
        button_.MouseDown(button, in.a, in.b);
        return Redrawn(false);
      case page::Input::PointerMove:
        button_.MouseMove(in.a, in.b);
        return Redrawn(false);
      case page::Input::PointerUp:
        return Redrawn(button_.MouseUp(button, in.a, in.b));
      default:
        return false;
    }
  }

  static MouseButton ButtonOf(int button) {
    return button == 2 ? MouseButton::Right : button == 1 ? MouseButton::Middle : MouseButton::Left;
  }

 private:
  void Draw() {
    drawnPressed_ = button_.Pressed();
    const Bitmap picture = PaintMessageBox(layout_, drawnPressed_);
    page::DrawBox(id_, picture.pixels.data(), picture.width, picture.height);
  }
  bool Redrawn(bool dismissed) {
    if (button_.Pressed() != drawnPressed_) Draw();
    return dismissed;
  }

  int id_;
  MessageBoxLayout layout_;
  MessageBoxButton button_;
  bool drawnPressed_ = false;
};

class WebBackend : public Backend {
 public:
  WebBackend(AudioDevice& audio, TextRenderer& text, WebWindowOptions options)
      : startFullscreen_(options.start.fullscreen),
        listener_(std::move(options.changed)),
        audio_(audio),
        text_(text) {
    audio_.SetMuted(muted_ = options.start.muted);
  }
  ~WebBackend() override { boxes_.clear(); }

  uint64_t NowMs() override { return uint64_t(std::floor(page::Now())); }
  // Microseconds of the page's clock: what the browser gives finest.
  uint64_t PerformanceCounter() override { return uint64_t(page::Now() * 1000.0); }
  void SleepMs(uint32_t ms) override { page::Sleep(ms); }

  bool PollEvent(Event& ev) override {
    for (;;) {
      if (!pending_.empty()) {
        ev = pending_.front();
        pending_.pop_front();
        return true;
      }
      page::Input in;
      if (!page::NextInput(in)) return false;
      Handle(in);
    }
  }

  bool WaitEvent(Event& ev, int64_t timeoutMs, bool /*nested*/) override {
    const uint64_t deadline = timeoutMs < 0 ? 0 : NowMs() + uint64_t(timeoutMs);
    for (;;) {
      if (PollEvent(ev)) return true;
      // Input that gave no event (a swallowed key) must not stretch the wait.
      const uint64_t now = NowMs();
      if (timeoutMs >= 0 && now >= deadline) return false;
      page::WaitForInput(timeoutMs < 0 ? -1 : int64_t(deadline - now));
    }
  }

  // The page has one thread: what the game posts is queued for its loop, and
  // a post from the audio pull ends the loop's wait.
  void PostEvent(const Event& ev) override {
    pending_.push_back(ev);
    page::WakeWait();
  }

  void CreateMainWindow(int clientWidth, int clientHeight, const std::string& title, const ArgbImage&) override {
    page::MakeCanvas(clientWidth, clientHeight);
    page::SetTitle(title);
  }
  void ShowMainWindow() override {
    page::ShowCanvas();
    // The browser grants fullscreen to a gesture only: asked at start, it
    // comes with the player's first key or click.
    if (startFullscreen_) page::SwitchFullscreen();
  }
  void SetTitle(const std::string& title) override { page::SetTitle(title); }
  int FrameWidth() override { return 0; }
  void Present(const Bitmap& framebuffer, const std::vector<Rect>& rects) override {
    for (const Rect& r : rects) {
      const int x0 = std::max(0, r.x), y0 = std::max(0, r.y);
      const int x1 = std::min(framebuffer.width, r.Right()), y1 = std::min(framebuffer.height, r.Bottom());
      if (x1 <= x0 || y1 <= y0) continue;
      page::PutPixels(framebuffer.pixels.data() + size_t(y0) * size_t(framebuffer.width) + size_t(x0),
                      framebuffer.width, x0, y0, x1 - x0, y1 - y0);
    }
  }

  int OpenMessageBox(const std::string& text, const std::string& caption, bool stopIcon) override {
    const int id = nextBoxId_++;
    boxes_[id] = std::make_unique<WebBox>(id, text, caption, stopIcon, text_);
    return id;
  }
  void CloseMessageBox(int id) override { boxes_.erase(id); }

  void Beep() override { audio_.Beep(); }
  TextRenderer& Text() override { return text_; }

 private:
  static Event Dismissal(int id) {
    Event e;
    e.type = Event::Type::DialogDismissed;
    e.id = id;
    return e;
  }

  void Handle(const page::Input& in) {
    switch (in.kind) {
      case page::Input::KeyDown:
      case page::Input::KeyUp:
        Key(in);
        return;
      case page::Input::PointerMove:
      case page::Input::PointerDown:
      case page::Input::PointerUp:
        Pointer(in);
        return;
      case page::Input::Blur:
        // The page sends no release for keys held as it loses the keyboard:
        // the game's wait for one ends here.
        down_.reset();
        return;
      default:
        return;
    }
  }

  void Key(const page::Input& in) {
    const bool down = in.kind == page::Input::KeyDown;
    const uint16_t vk = uint16_t(in.a);
    if (vk == 0 || vk > 0xFE) return;
    const KeyStroke stroke{vk, in.b, down, down && in.c != 0, (in.flags & 1) != 0, (in.flags & 2) != 0};
    switch (ownKeys_.Claim(stroke)) {
      case OwnKeys::Use::Game:
        break;
      case OwnKeys::Use::Swallowed:
        return;
      case OwnKeys::Use::Fullscreen:
        Tell(page::SwitchFullscreen());
        return;
      case OwnKeys::Use::Mute:
        audio_.SetMuted(muted_ = !muted_);
        Tell(page::Fullscreen());
        return;
    }
    // The box on top has the keyboard while it is open.
    if (!boxes_.empty()) {
      auto& [id, box] = *boxes_.rbegin();
      if (box->Key(vk, down, stroke.repeat)) pending_.push_back(Dismissal(id));
      return;
    }
    // A release is the game's only after its press was.
    if (!down && !down_[vk]) return;
    down_[vk] = down;
    pending_.push_back(Event::Key(down ? Event::Type::KeyDown : Event::Type::KeyUp, vk));
  }

  void Pointer(const page::Input& in) {
    if (in.box) {
      auto it = boxes_.find(in.box);
      if (it != boxes_.end() && it->second->Pointer(in)) pending_.push_back(Dismissal(in.box));
      return;
    }
    const Event::Type type = in.kind == page::Input::PointerMove   ? Event::Type::MouseMove
                             : in.kind == page::Input::PointerDown ? Event::Type::MouseDown
                                                                   : Event::Type::MouseUp;
    pending_.push_back(Event::Mouse(type, in.a, in.b, WebBox::ButtonOf(in.c)));
  }

  // The switch is heard, then the settings folder goes to the browser's storage.
  void Tell(bool fullscreen) {
    if (!listener_) return;
    listener_({fullscreen, muted_});
    page::KeepSettings();
  }

  const bool startFullscreen_;
  WindowChoicesListener listener_;
  AudioDevice& audio_;
  TextRenderer& text_;
  std::deque<Event> pending_;
  std::map<int, std::unique_ptr<WebBox>> boxes_;
  int nextBoxId_ = 1;
  OwnKeys ownKeys_;
  bool muted_ = false;
  std::bitset<256> down_;  // keys the game saw pressed and not yet released
};

}  // namespace

std::unique_ptr<Backend> MakeWebBackend(AudioDevice& audio, TextRenderer& text, WebWindowOptions options) {
  return std::make_unique<WebBackend>(audio, text, std::move(options));
}

}  // namespace tv
