#pragma once
#include <atomic>
#include <memory>
#include <mutex>

#include "platform/sound/audio_device.h"
#include "platform/sound/media_control.h"

namespace tv {

class MediaFoundation;
class MidiPort;

// The program's sound on Windows, the counterpart of GameSound
// (platform/fluidsynth/game_sound.h): the one audio device over the output
// the window's backend supplies (waveOut), Media Foundation for the pieces'
// recordings and the system's MIDI synthesiser for a piece without one, each
// taken up at the first piece that needs it and kept for the run.
//
// Destroyed after every media control layer made over it (MakeWin32MediaControl):
// then the MIDI port, which no piece sends to any more; then Media Foundation,
// whose readers went with the layers' pieces; the audio device last, since
// its thread may run until then.
struct Win32Sound {
  explicit Win32Sound(std::unique_ptr<AudioOutput> output);
  ~Win32Sound();
  Win32Sound(const Win32Sound&) = delete;
  Win32Sound& operator=(const Win32Sound&) = delete;

  // Whether Media Foundation runs, started at the first call; without it
  // (Windows' N editions) stderr says so once and pieces go to MIDI.
  bool Recordings();
  // The MIDI port, opened at the first call; null when the machine has none,
  // which stderr says once: a piece without its recording is then silent.
  MidiPort* Midi();

  AudioDevice device;
  std::atomic<int> layers{0};  // media control layers alive on this sound

 private:
  std::once_flag mediaFoundationHeld_;
  std::unique_ptr<MediaFoundation> mediaFoundation_;
  std::once_flag midiOpened_;
  std::unique_ptr<MidiPort> midi_;
};

// The media control layer of the game on `sound`: MIDI files played from their
// recordings (found through the build's index, platform/sound/recording_index.h)
// or, without one, sequenced to the MIDI port; wave files decoded by mmio and
// ACM; both on the one audio device, one sound at a time. Destroy it before `sound`.
std::unique_ptr<MediaControl> MakeWin32MediaControl(Win32Sound& sound, MediaPostSink post);

}  // namespace tv
