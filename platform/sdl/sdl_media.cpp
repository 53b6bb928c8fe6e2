// The media control layer on the real machine: the portable layer over the
// one SDL audio device and FluidSynth.
#include "platform/sdl/sdl_media.h"

#include <memory>
#include <vector>

#include "platform/sdl/sdl_audio.h"
#include "platform/sdl/sdl_media_midi.h"
#include "platform/sound_output.h"

namespace tv {
namespace {

using sdl::AudioDevice;

// The SDL audio device as the layer's output: its media voice is this
// adapter, which passes the mixing on to the layer's voice.
class SdlSoundOutput final : public SoundOutput, private sdl::AudioSource {
 public:
  bool Ready() override { return AudioDevice::Instance().Ready(); }
  int Rate() const override { return AudioDevice::kRate; }
  void Lock() override { locks_.push_back(std::make_unique<AudioDevice::Lock>(AudioDevice::Instance())); }
  void Unlock() override { locks_.pop_back(); }
  void SetVoice(MediaVoice* voice) override {
    voice_ = voice;
    AudioDevice::Instance().SetSource(this);
  }
  void RemoveVoice(MediaVoice* voice) override {
    if (voice_ != voice) return;
    voice_ = nullptr;
    AudioDevice::Instance().RemoveSource(this);
  }

 private:
  void MixInto(float* out, int frames) override {
    if (voice_) voice_->MixInto(out, frames);
  }
  void Replaced() override {
    if (voice_) voice_->Replaced();
  }

  MediaVoice* voice_ = nullptr;                 // read by the audio thread
  // Held between Lock and Unlock, on the thread that drives the layer.
  std::vector<std::unique_ptr<AudioDevice::Lock>> locks_;
};

class SdlMediaControl final : public MediaControl {
 public:
  explicit SdlMediaControl(MediaPostSink post)
      : layer_(MakeMediaControl(
            output_, [](std::vector<uint8_t> file) { return sdl::MidiSequence::Create(std::move(file)); },
            std::move(post))) {}

  uint32_t SendCommand(uint16_t deviceId, uint32_t command, uint32_t flags, void* params) override {
    return layer_->SendCommand(deviceId, command, flags, params);
  }
  std::string ErrorText(uint32_t code) override { return layer_->ErrorText(code); }

 private:
  SdlSoundOutput output_;                // outlives the layer
  std::unique_ptr<MediaControl> layer_;
};

}  // namespace

std::unique_ptr<MediaControl> MakeSdlMediaControl(MediaPostSink post) {
  return std::make_unique<SdlMediaControl>(std::move(post));
}

}  // namespace tv
