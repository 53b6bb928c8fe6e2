#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace tv {

// Reading and checking the files a media device is opened on, before any
// library sees them. No SDL here: any sound backend uses the same checks.

enum class FileCheck { Ok, NotFound, NotRegular, Unreadable, Empty, TooLarge, NotMidi, NotWave };

// Music and sound files larger than this are refused with their error text
// rather than read: a tune or an effect of the game is a few kilobytes, and a
// huge file would stall every opening.
constexpr size_t kMaxMediaFileBytes = size_t(16) << 20;

// The whole file: a regular file only, never blocking (see ReadRegularFile);
// NotRegular for a directory, a pipe or a device in its place.
FileCheck ReadMediaFile(const std::string& path, std::vector<uint8_t>& bytes);

// Checks a Standard MIDI File (or a RIFF MIDI file, .rmi) strictly, and
// replaces `bytes` with a clean equivalent that the synthesiser plays as the
// original sounds: one track in format 0, ticks per quarter note (time-code
// timing becomes a tempo map of the same speed), only the events that make
// sound or set the tempo. `lengthMs` is the piece's length in time.
// NotMidi for what does not parse or cannot be expressed so.
FileCheck ParseMidi(std::vector<uint8_t>& bytes, uint32_t& lengthMs);

// The pieces beside the program (every *.mid in `directory` that opens),
// each checked and normalised as ParseMidi leaves it.
std::vector<std::vector<uint8_t>> PiecesIn(const std::string& directory);

// Decodes a wave file (every PCM width, float, ADPCM, mu-law, A-law, GSM 6.10,
// WAVE_FORMAT_EXTENSIBLE) to interleaved stereo float at `rate` frames a
// second, in one pass. Samples are finite and within [-1, 1].
FileCheck DecodeWave(const std::vector<uint8_t>& bytes, int rate, std::vector<float>& stereo);

}  // namespace tv
