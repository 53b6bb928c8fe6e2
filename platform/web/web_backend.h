#pragma once
#include <memory>

#include "platform/toolkit/backend.h"
#include "platform/toolkit/own_keys.h"

namespace tv {

class AudioDevice;

struct WebWindowOptions {
  // The page scales the picture to the browser's window by whole steps; a
  // scale asked for is the desktop's business and is kept only to be remembered.
  int scale = 0;
  WindowChoices start;            // how the page starts (muted, fullscreen asked)
  WindowChoicesListener changed;  // hears each switch the player makes, to remember it
};

// The machine in a browser: the page's canvas, the DOM's input queued by the
// page and pulled here, the page's clock, message boxes drawn over the game.
// The beep sounds on `audio`, which outlives the backend.
std::unique_ptr<Backend> MakeWebBackend(AudioDevice& audio, TextRenderer& text, WebWindowOptions options);

}  // namespace tv
