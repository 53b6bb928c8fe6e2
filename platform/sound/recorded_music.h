#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/sound/sound_output.h"

namespace tv {

class RecordingFile;

// The game's pieces recorded ahead of time: at build time each piece beside
// the program is rendered once by the very synthesiser and settings the game
// plays it with, and kept losslessly (FLAC, 16-bit) in the recordings folder.
// Playing a recording costs a twentieth of synthesising the piece. A recording
// is named by a key over the piece's normalised bytes, the settings the game
// gives the synthesiser and the sound font (not FluidSynth's version: see
// SynthIdentity), so a piece that was changed, or a machine with another
// sound font, finds no recording and is synthesised as it plays.

// The folder of recordings beside the program.
std::string RecordingsDirectory(const std::string& programDirectory);

// What identifies a sound font's contents, cheaply: its size and a hash of its
// head and tail (the INFO list and the preset tables). Empty if unreadable.
std::string SoundFontIdentity(const std::string& path);

// The file name (no directory) of the recording of `piece` (a normalised MIDI
// file) made by the synthesiser described by `synthIdentity`.
std::string RecordingName(const std::vector<uint8_t>& piece, const std::string& synthIdentity);

// Where a recording keeps the frame its piece's last event is played at: its
// comment is this tag and the frame in decimal.
inline constexpr const char* kRecordingDoneTag = "done=";

// Writes a recording: interleaved stereo float at `rate`, the piece's last
// event played at frame `doneFrame`. Written to a temporary name and renamed,
// so a build cut off midway leaves no half file under the real name. The
// Linux build's alone: recordings are made by the build (tools/render_music).
bool WriteRecording(const std::string& path, const std::vector<float>& stereo, int rate, uint64_t doneFrame);

// A recording played in a synthesised piece's place: the same answers to the
// media layer (the piece is finished at the frame its last event was played,
// and rings on after it), streamed from the file a block at a time.
class RecordedPiece final : public MidiRenderer {
 public:
  // Null unless `path` is a regular file holding a whole, valid recording at
  // `rate`: its last frame is decoded here, since a copy cut short keeps the
  // header that promises the whole length. `why` (if given) says what is
  // wrong with a file that is there; it stays empty when there is none. A
  // recording found damaged in this run is refused.
  static std::unique_ptr<RecordedPiece> Open(const std::string& path, int rate, std::string* why = nullptr);
  ~RecordedPiece() override;
  RecordedPiece(const RecordedPiece&) = delete;
  RecordedPiece& operator=(const RecordedPiece&) = delete;

  void Start() override;
  void Stop() override;
  bool Rewind() override;
  bool Finished() const override;
  void RenderInto(float* out, int frames) override;

  uint64_t DoneFrame() const { return done_; }

 private:
  RecordedPiece() = default;

  // Damage met while playing: the piece ends there, and stderr says so.
  void BreakOff(const char* cause);

  std::unique_ptr<RecordingFile> file_;
  std::vector<float> scratch_;  // a block as decoded
  std::string path_;
  int rate_ = 0;
  uint64_t frames_ = 0;    // frames in the recording
  uint64_t done_ = 0;      // the frame the piece's last event is played at
  uint64_t position_ = 0;  // frames rendered so far
  bool playing_ = false;
  bool halted_ = false;  // stopped, not yet started again
  bool rewound_ = false;  // the decoder is still to go back to the top
};

}  // namespace tv
