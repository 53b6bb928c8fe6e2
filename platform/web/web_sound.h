#pragma once
#include <atomic>
#include <memory>

#include "platform/sound/audio_device.h"
#include "platform/sound/media_control.h"

namespace tv {

// The page's sound: the one audio device over the page's output, the pieces
// played from their recordings as the browser decodes them (Vorbis, found
// through the index the build writes beside them), the next level's piece
// decoded ahead so that no level waits for its music. There is no
// synthesiser in a page: a piece without a recording is silent, said once.
struct WebSound {
  WebSound();
  ~WebSound();
  WebSound(const WebSound&) = delete;
  WebSound& operator=(const WebSound&) = delete;

  AudioDevice device;
  std::atomic<int> layers{0};  // media control layers alive on this sound
};

// The media control layer of the game on `sound`. Destroy it before `sound`.
std::unique_ptr<MediaControl> MakeWebMediaControl(WebSound& sound, MediaPostSink post);

}  // namespace tv
