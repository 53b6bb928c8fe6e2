// The game's media control: the portable layer over the mixer of the one
// audio device, with the pieces' recordings and FluidSynth.
#include "platform/fluidsynth/game_sound.h"

#include <memory>
#include <vector>

#include "platform/files/file_report.h"
#include "platform/files/native_file.h"
#include "platform/files/system.h"
#include "platform/sound/media_files.h"
#include "platform/sound/recorded_music.h"
#include "platform/sound/sound_output.h"

namespace tv {
namespace {

// The recording of a normalised piece beside the program, if it was made by
// this synthesiser.
std::string RecordingPath(GameSound& sound, const std::vector<uint8_t>& piece) {
  const std::string& synth = sound.synth.Identity();
  if (synth.empty()) return {};
  return RecordingsDirectory(ProgramDirectory()) + "/" + RecordingName(piece, synth);
}

// The whole recording of a piece, or null; a recording that is there but
// cannot be played (cut short by a copy, say) is named on stderr.
std::unique_ptr<RecordedPiece> OpenRecording(const std::string& recording) {
  if (recording.empty()) return nullptr;
  std::string why;
  auto recorded = RecordedPiece::Open(recording, AudioDevice::kRate, &why);
  if (!why.empty()) ReportUnusableFile(recording, why + "; the piece is synthesised instead");
  return recorded;
}

// A piece recorded ahead plays its recording; any other is synthesised. Not
// locked: the font's hash, the recording's check and the synthesiser's font
// take milliseconds the audio thread must not wait out. Only hooking a player
// into the synthesiser, which another piece's ring may be rendering, is locked.
std::unique_ptr<MidiRenderer> MakeRenderer(GameSound& sound, std::vector<uint8_t> piece,
                                           MidiMissing& missing) {
  if (auto recorded = OpenRecording(RecordingPath(sound, piece))) return recorded;
  if (!sound.synth.Prepare()) {
    missing = sound.synth.HasSynthesiser() ? MidiMissing::SoundFont : MidiMissing::Synthesiser;
    return nullptr;
  }
  AudioDevice::Lock lock(sound.device);
  return MidiSequence::Create(sound.synth, std::move(piece));
}

// Whether every piece beside the program has its recording file: then the
// synthesiser and its sound font need not be loaded ahead. Only looked for,
// not read: proving a recording whole decodes its last frame, work the
// window's start-up should not share the machine with. A damaged one is
// found, named and its piece synthesised when the piece is played.
bool EveryPieceRecorded(GameSound& sound) {
  // A piece that does not open fails before any synthesiser is asked.
  for (const auto& piece : PiecesIn(ProgramDirectory())) {
    const std::string path = RecordingPath(sound, piece);
    ReadOnlyFile recording;
    if (path.empty() || recording.Open(path) != 0 || recording.Size() == 0) return false;
  }
  return true;
}


}  // namespace

void PrepareGameMusic(GameSound& sound) {
  if (!EveryPieceRecorded(sound)) sound.synth.Prepare();
}

std::unique_ptr<MediaControl> MakeGameMediaControl(GameSound& sound, MediaPostSink post) {
  return MakeCountedMediaControl(sound.layers, sound.device.Mixer(),
                                 [&sound](std::vector<uint8_t> piece, MidiMissing& missing) {
                                   return MakeRenderer(sound, std::move(piece), missing);
                                 },
                                 std::move(post));
}

}  // namespace tv
