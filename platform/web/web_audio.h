#pragma once
#include <memory>

#include "platform/sound/audio_output.h"

namespace tv {

// The page's sound: WebAudio pulls the mix from the game a block at a time
// while the output is started; stopped, the page suspends its audio, so an
// idle or muted game costs the browser nothing. Browsers start audio only
// after the player's first key or click: until then the page holds it.
std::unique_ptr<AudioOutput> MakeWebAudioOutput();

}  // namespace tv
