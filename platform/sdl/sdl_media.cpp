// The media control layer on the real machine: the portable layer over the
// mixer of the one SDL audio device and FluidSynth.
#include "platform/sdl/sdl_media.h"

#include <memory>
#include <vector>

#include "platform/sdl/sdl_audio.h"
#include "platform/sdl/sdl_media_midi.h"
#include "platform/sound_output.h"

namespace tv {
namespace {

class SdlMediaControl final : public MediaControl {
 public:
  explicit SdlMediaControl(MediaPostSink post)
      : layer_(MakeMediaControl(
            AudioDevice::Instance().Mixer(), [](std::vector<uint8_t> file) { return MidiSequence::Create(std::move(file)); },
            std::move(post))) {}

  uint32_t SendCommand(uint16_t deviceId, uint32_t command, uint32_t flags, void* params) override {
    return layer_->SendCommand(deviceId, command, flags, params);
  }
  std::string ErrorText(uint32_t code) override { return layer_->ErrorText(code); }

 private:
  std::unique_ptr<MediaControl> layer_;
};

}  // namespace

void PrepareSdlMusic() { PrepareSynth(); }

std::unique_ptr<MediaControl> MakeSdlMediaControl(MediaPostSink post) {
  return std::make_unique<SdlMediaControl>(std::move(post));
}

}  // namespace tv
