#pragma once
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "platform/sound/media_control.h"

namespace tv {

// What the media control layer needs of a sound backend: an output that mixes
// one media voice, and a MIDI renderer. A new backend implements these two and
// reuses the layer (MakeMediaControl) as it is.

// Pulled by the output's mixing thread, with the output locked.
class MediaVoice {
 public:
  virtual ~MediaVoice() = default;
  // Adds `frames` interleaved stereo float frames into `out`. True while the
  // voice plays or still rings out, even through a rest; false once it is done.
  virtual bool MixInto(float* out, int frames) = 0;
  // Another voice took the output: whatever this one played is cut off.
  virtual void Replaced() = 0;
};

class SoundOutput {
 public:
  virtual ~SoundOutput() = default;
  // Opens the device at the first call; false when the machine has none.
  virtual bool Ready() = 0;
  // Frames a second of the interleaved stereo float it mixes.
  virtual int Rate() const = 0;
  // Keeps the mixing thread out while the caller changes what it reads.
  virtual void Lock() = 0;
  virtual void Unlock() = 0;
  // Gives the media voice to `voice`, telling the one that had it.
  virtual void SetVoice(MediaVoice* voice) = 0;
  // Silences the media voice if `voice` has it.
  virtual void RemoveVoice(MediaVoice* voice) = 0;
};

class SoundOutputLock {
 public:
  explicit SoundOutputLock(SoundOutput& out) : out_(out) { out_.Lock(); }
  ~SoundOutputLock() { out_.Unlock(); }
  SoundOutputLock(const SoundOutputLock&) = delete;
  SoundOutputLock& operator=(const SoundOutputLock&) = delete;

 private:
  SoundOutput& out_;
};

// A MIDI piece being rendered. Every call is made with the output locked, and
// its destruction too.
class MidiRenderer {
 public:
  virtual ~MidiRenderer() = default;
  // From the beginning, or on from where Stop left it.
  virtual void Start() = 0;
  // Halts the piece and cuts every sounding note.
  virtual void Stop() = 0;
  // Back to the beginning, halted; false if the renderer is lost.
  virtual bool Rewind() = 0;
  // The piece has played its last event.
  virtual bool Finished() const = 0;
  // Adds the rendering (interleaved stereo at the output's rate) into `out`.
  virtual void RenderInto(float* out, int frames) = 0;
};

// What a maker that made no renderer lacked: the synthesiser itself (its
// library cannot be loaded, which the player is told once), its sound font, or
// the system's MIDI output that plays a piece in its place (Windows' midiOut).
enum class MidiMissing { Synthesiser, SoundFont, Output };

// Makes a renderer for a checked, normalised Standard MIDI File; null when the
// synthesiser or its sound font cannot be had, and `missing` says which
// (left alone for a file the synthesiser refuses). Called with the output not
// locked, since making one may take milliseconds (a file opened, a sound font
// loaded) that the mixing thread must not wait out; a maker whose renderer is
// hooked into something the mixing thread reads locks the output for that
// step alone. Under the lock the layer only takes the renderer in.
using MidiRendererMaker =
    std::function<std::unique_ptr<MidiRenderer>(std::vector<uint8_t> file, MidiMissing& missing)>;

// The media control layer over a sound backend: MIDI files through `midi`,
// wave files decoded in memory, both played on `output`, one sound at a
// time. Notices go to `post` from whichever thread sees the end (the mixing
// thread for a piece that runs out). `output` outlives the layer.
std::unique_ptr<MediaControl> MakeMediaControl(SoundOutput& output, MidiRendererMaker midi, MediaPostSink post);

// The same layer as a machine's sound hands it out: counted in `layers` from
// its making to its end, so that the sound can require that no layer outlives it.
std::unique_ptr<MediaControl> MakeCountedMediaControl(std::atomic<int>& layers, SoundOutput& output,
                                                      MidiRendererMaker midi, MediaPostSink post);

}  // namespace tv
