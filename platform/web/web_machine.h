#pragma once
#include <memory>

#include "platform/sound/media_control.h"
#include "platform/toolkit/backend.h"
#include "platform/web/web_backend.h"

namespace tv {

struct WebSound;

// The machine of the page, made in one step as main makes the desktop's: the
// canvas and its input, the text from the build's glyph atlas (the Linux
// program's pixels), the sound. Its end tells the page the game has ended.
class WebMachine {
 public:
  struct Options {
    bool headless = false;  // a page always has its canvas: ignored
    WebWindowOptions window;
  };

  // Throws std::runtime_error, in plain words, when the text cannot be had.
  explicit WebMachine(Options options);
  ~WebMachine();
  WebMachine(const WebMachine&) = delete;
  WebMachine& operator=(const WebMachine&) = delete;

  Backend& Window() { return *backend_; }
  std::unique_ptr<MediaControl> MakeMediaControl(MediaPostSink post);
  void StartedUp() {}

 private:
  std::unique_ptr<WebSound> sound_;
  std::unique_ptr<TextRenderer> text_;
  std::unique_ptr<Backend> backend_;
};

}  // namespace tv
