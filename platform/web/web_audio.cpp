#include "platform/web/web_audio.h"

#include <emscripten.h>

#include "platform/web/web_page.h"

namespace tv {
namespace {

// The one output the page pulls from; the page has one.
AudioMix* gMix = nullptr;

class WebAudioOutput : public AudioOutput {
 public:
  ~WebAudioOutput() override { Stop(); }

  bool Start(const AudioFormat& /*format*/, AudioMix mix) override {
    mix_ = std::move(mix);
    gMix = &mix_;
    if (page::StartAudio()) return true;
    gMix = nullptr;
    return false;
  }

  // The page's thread is the game's: no pull runs while this does.
  void Stop() override {
    if (gMix != &mix_) return;
    gMix = nullptr;
    page::StopAudio();
  }

 private:
  AudioMix mix_;
};

}  // namespace

std::unique_ptr<AudioOutput> MakeWebAudioOutput() { return std::make_unique<WebAudioOutput>(); }

}  // namespace tv

// The page's pull: fills `frames` interleaved stereo frames of `out` (zeroed
// by the page); 0 when the output should stop.
extern "C" EMSCRIPTEN_KEEPALIVE int tv_web_audio_pull(float* out, int frames) {
  if (!tv::gMix) return 0;
  if ((*tv::gMix)(out, frames)) return 1;
  tv::gMix = nullptr;
  return 0;
}
