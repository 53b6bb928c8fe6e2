#pragma once
#include <memory>

#include "platform/toolkit/backend.h"
#include "platform/toolkit/own_keys.h"

namespace tv {

class AudioDevice;

struct Win32WindowOptions {
  // N from 1 to kMaxScale: the window is N times larger and shows every pixel
  // of the picture as an N x N block, its message boxes too; pointer positions
  // arrive in picture pixels. 0 picks the largest that suits the display (ScaleToFit).
  int scale = 1;
  WindowChoices start;            // how the window starts
  WindowChoicesListener changed;  // when given, hears each switch the player makes, to remember it
};

// The real machine on Windows: a window of its own, its input, the
// performance counter's clock, message boxes as windows of their own, game
// controllers through XInput. The beep sounds on `audio`, which outlives the
// backend. Throws std::runtime_error in plain words when no window can open.
std::unique_ptr<Backend> MakeWin32Backend(AudioDevice& audio, Win32WindowOptions options);

}  // namespace tv
