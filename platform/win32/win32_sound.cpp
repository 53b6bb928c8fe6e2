// The game's media control on Windows: the portable layer over the mixer of
// the one audio device, with the pieces' recordings and midiOut.
#include "platform/win32/win32_sound.h"

#include <cstdio>
#include <string>
#include <vector>

#include "platform/base/require.h"
#include "platform/files/file_report.h"
#include "platform/files/system.h"
#include "platform/sound/media_foundation_win32.h"
#include "platform/sound/recorded_music.h"
#include "platform/sound/recording_index.h"
#include "platform/sound/sound_output.h"
#include "platform/win32/win32_midi_port.h"

namespace tv {
namespace {

// The recording of a piece beside the program, whole, or null; one that is
// there but cannot be played is named on stderr.
std::unique_ptr<MidiRenderer> OpenRecording(const std::vector<uint8_t>& piece) {
  uint64_t done = 0;
  const std::string path = RecordingFor(ProgramDirectory(), piece, &done);
  if (path.empty()) return nullptr;
  std::string why;
  auto recorded = RecordedPiece::Open(path, AudioDevice::kRate, &why);
  if (!why.empty()) ReportUnusableFile(path, why + "; the piece is sent to MIDI instead");
  return recorded;
}

// Not locked: the index, the recording's check and opening the MIDI port take
// milliseconds the audio thread must not wait out.
std::unique_ptr<MidiRenderer> MakeRenderer(Win32Sound& sound, const std::vector<uint8_t>& piece,
                                           MidiMissing& missing) {
  if (sound.Recordings())
    if (auto recorded = OpenRecording(piece)) return recorded;
  MidiPort* port = sound.Midi();
  if (!port) {
    missing = MidiMissing::Output;
    return nullptr;
  }
  return SequenceOnPort(*port, piece, AudioDevice::kRate);
}


}  // namespace

Win32Sound::Win32Sound(std::unique_ptr<AudioOutput> output) : device(std::move(output)) {}

Win32Sound::~Win32Sound() {
  Require(layers.load() == 0, "a media control layer outlives the sound it plays on");
}

bool Win32Sound::Recordings() {
  std::call_once(mediaFoundationHeld_, [this] {
    mediaFoundation_ = std::make_unique<MediaFoundation>();
    if (!mediaFoundation_->Api())
      std::fprintf(stderr, "tarvolen: cannot start Media Foundation (%s); the music is sent to MIDI\n",
                   MediaFoundation::Failure().c_str());
  });
  return mediaFoundation_->Api() != nullptr;
}

MidiPort* Win32Sound::Midi() {
  std::call_once(midiOpened_, [this] {
    std::string why;
    midi_ = Win32MidiPort::Open(why);
    if (!midi_)
      std::fprintf(stderr,
                   "tarvolen: cannot open a MIDI output (%s); music without its recording is silent\n",
                   why.c_str());
  });
  return midi_.get();
}

std::unique_ptr<MediaControl> MakeWin32MediaControl(Win32Sound& sound, MediaPostSink post) {
  return MakeCountedMediaControl(sound.layers, sound.device.Mixer(),
                                 [&sound](std::vector<uint8_t> piece, MidiMissing& missing) {
                                   return MakeRenderer(sound, piece, missing);
                                 },
                                 std::move(post));
}

}  // namespace tv
