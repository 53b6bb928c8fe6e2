// The media control layer as a machine's sound hands it out, counted while it lives.
#include <utility>

#include "platform/sound/sound_output.h"

namespace tv {
namespace {

class CountedMediaControl final : public MediaControl {
 public:
  CountedMediaControl(std::atomic<int>& layers, SoundOutput& output, MidiRendererMaker midi, MediaPostSink post)
      : layers_(layers), layer_(MakeMediaControl(output, std::move(midi), std::move(post))) {
    ++layers_;
  }
  ~CountedMediaControl() override {
    layer_.reset();
    --layers_;
  }
  CountedMediaControl(const CountedMediaControl&) = delete;
  CountedMediaControl& operator=(const CountedMediaControl&) = delete;

  uint32_t SendCommand(uint16_t deviceId, uint32_t command, uint32_t flags, void* params) override {
    return layer_->SendCommand(deviceId, command, flags, params);
  }
  std::string ErrorText(uint32_t code) override { return layer_->ErrorText(code); }

 private:
  std::atomic<int>& layers_;
  std::unique_ptr<MediaControl> layer_;
};

}  // namespace

std::unique_ptr<MediaControl> MakeCountedMediaControl(std::atomic<int>& layers, SoundOutput& output,
                                                      MidiRendererMaker midi, MediaPostSink post) {
  return std::make_unique<CountedMediaControl>(layers, output, std::move(midi), std::move(post));
}

}  // namespace tv
