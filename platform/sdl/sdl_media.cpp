// The media control layer on the real machine: the portable layer over the
// mixer of the one SDL audio device, with the pieces' recordings and FluidSynth.
#include "platform/sdl/sdl_media.h"

#include <filesystem>
#include <memory>
#include <vector>

#include "platform/sound/media_files.h"
#include "platform/sound/recorded_music.h"

#include "platform/sdl/sdl_audio.h"
#include "platform/fluidsynth/synth.h"
#include "platform/sound/sound_output.h"
#include "platform/files/system.h"

namespace tv {
namespace {

// The recording of a normalised piece beside the program, if it was made by
// this synthesiser.
std::string RecordingPath(const std::vector<uint8_t>& piece) {
  const std::string& synth = SynthIdentity();
  if (synth.empty()) return {};
  return RecordingsDirectory(ProgramDirectory()) + "/" + RecordingName(piece, synth);
}

// A piece recorded ahead plays its recording; any other is synthesised.
std::unique_ptr<MidiRenderer> MakeRenderer(std::vector<uint8_t> piece) {
  const std::string recording = RecordingPath(piece);
  if (!recording.empty())
    if (auto recorded = RecordedPiece::Open(recording, AudioDevice::kRate)) return recorded;
  return MidiSequence::Create(std::move(piece));
}

// Whether every piece beside the program has its recording: then the
// synthesiser and its sound font need not be loaded at all.
bool EveryPieceRecorded() {
  // A piece that does not open fails before any synthesiser is asked.
  for (const auto& piece : PiecesIn(ProgramDirectory())) {
    const std::string recording = RecordingPath(piece);
    std::error_code ec;
    if (recording.empty() || !std::filesystem::is_regular_file(recording, ec)) return false;
  }
  return true;
}

class SdlMediaControl final : public MediaControl {
 public:
  explicit SdlMediaControl(MediaPostSink post)
      : layer_(MakeMediaControl(
            AudioDevice::Instance().Mixer(), MakeRenderer, std::move(post))) {}

  uint32_t SendCommand(uint16_t deviceId, uint32_t command, uint32_t flags, void* params) override {
    return layer_->SendCommand(deviceId, command, flags, params);
  }
  std::string ErrorText(uint32_t code) override { return layer_->ErrorText(code); }

 private:
  std::unique_ptr<MediaControl> layer_;
};

}  // namespace

void PrepareSdlMusic() {
  if (!EveryPieceRecorded()) PrepareSynth();
}

std::unique_ptr<MediaControl> MakeSdlMediaControl(MediaPostSink post) {
  return std::make_unique<SdlMediaControl>(std::move(post));
}

}  // namespace tv
