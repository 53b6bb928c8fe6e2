#pragma once
#include <memory>
#include <utility>

#include "platform/fluidsynth/game_sound.h"
#include "platform/sdl/sdl_audio.h"

namespace tv::test {

// The real machine's sound, owned by the test as main owns the program's: the
// audio device and the synthesiser, and the media control layer over them,
// which (declared last) goes first. SDL's audio driver is whatever the
// environment chose before the first sound.
struct SoundOnSdl {
  explicit SoundOnSdl(MediaPostSink post = nullptr) : media(MakeGameMediaControl(sound, std::move(post))) {}

  GameSound sound{std::make_unique<SdlAudioOutput>()};
  std::unique_ptr<MediaControl> media;
};

}  // namespace tv::test
