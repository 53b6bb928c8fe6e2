#pragma once
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "platform/toolkit/backend.h"
#include "platform/toolkit/view.h"

namespace tv {

class AudioDevice;

// The real machine: an SDL window, its input, SDL's clock, message boxes as
// windows of their own. Throws std::runtime_error with a plain-words message
// when there is no display to open a window on. With `scale` N (1 to
// kMaxScale) the window is N times larger and shows every pixel of the
// picture as an N x N block, its message boxes too; pointer positions arrive
// in picture pixels. Scale 0 picks the largest that suits the display
// (ScaleToFit). F11 and Alt+Enter switch fullscreen on and off, M all sound;
// the window starts as `start` says, and `changed` (when given) hears each
// switch the player makes, to remember it. The beep sounds on `audio`, which
// outlives the backend.
struct WindowChoices {
  bool fullscreen = false;
  bool muted = false;
};
using WindowChoicesListener = std::function<void(const WindowChoices&)>;
std::unique_ptr<Backend> MakeSdlBackend(AudioDevice& audio, int scale = 1, WindowChoices start = {},
                                        WindowChoicesListener changed = {});

}  // namespace tv
