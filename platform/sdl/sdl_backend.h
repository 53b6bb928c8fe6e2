#pragma once
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "platform/toolkit/backend.h"
#include "platform/toolkit/own_keys.h"
#include "platform/toolkit/view.h"

namespace tv {

class AudioDevice;

struct SdlWindowOptions {
  // N from 1 to kMaxScale: the window is N times larger and shows every pixel
  // of the picture as an N x N block, its message boxes too; pointer positions
  // arrive in picture pixels. 0 picks the largest that suits the display (ScaleToFit).
  int scale = 1;
  WindowChoices start;             // how the window starts
  WindowChoicesListener changed;   // when given, hears each switch the player makes, to remember it
};

// The real machine: an SDL window, its input, SDL's clock, message boxes as
// windows of their own. Throws std::runtime_error with a plain-words message
// when there is no display to open a window on. The beep sounds on `audio`,
// which outlives the backend.
std::unique_ptr<Backend> MakeSdlBackend(AudioDevice& audio, SdlWindowOptions options = {});

}  // namespace tv
