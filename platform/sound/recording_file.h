#pragma once
// Inside platform/sound: the system's reader of a recording file behind the
// portable checks of RecordedPiece. libsndfile on Linux
// (recording_file_posix.cpp), Media Foundation on Windows
// (recording_file_win32.cpp); both give the samples libsndfile decodes.
#include <cstdint>
#include <memory>
#include <string>

namespace tv {

struct RecordingHead {
  bool flac = false;  // the file is FLAC
  int channels = 0;
  int rate = 0;
  uint64_t frames = 0;  // as the header promises them
  std::string comment;  // where the recording keeps its end mark
};

class RecordingFile {
 public:
  // The decoder on `path` at its top, or null with `problem` saying why, left
  // empty when there is no such file.
  static std::unique_ptr<RecordingFile> Open(const std::string& path, std::string& problem);
  virtual ~RecordingFile() = default;

  virtual const RecordingHead& Head() const = 0;
  // Decodes the last frame the header promises, then goes back to the top:
  // false when it does not decode. A copy cut short keeps the header that
  // promises the whole length, so this proves the file whole.
  virtual bool LastFrameDecodes() = 0;
  // The next Read starts at the top; false when the file cannot go there.
  virtual bool Rewind() = 0;
  // Decodes up to `frames` frames (at most kMaxRead) of interleaved stereo
  // float into `out`, each sample the 16-bit value over 2^15: the frames
  // decoded, fewer at the end of the data or where damage stops it.
  virtual int Read(float* out, int frames) = 0;
  // What damage the last Read met, or null.
  virtual const char* Damage() const = 0;

  static constexpr int kMaxRead = 1024;
};

}  // namespace tv
