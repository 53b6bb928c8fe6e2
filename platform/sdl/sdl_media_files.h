#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace tv::sdl {

// Reading and checking the files a media device is opened on, before any
// library sees them.

enum class FileCheck { Ok, NotFound, Unreadable, Empty, TooLarge, NotMidi, NotWave };

// Larger files are refused rather than read into memory.
constexpr size_t kMaxMediaFileBytes = 64u << 20;

// The whole file.
FileCheck ReadMediaFile(const std::string& path, std::vector<uint8_t>& bytes);

// Checks a Standard MIDI File strictly (header, every chunk, every event) and
// measures its length in milliseconds through its tempo changes. A RIFF MIDI
// file (.rmi) is first unwrapped in place to the Standard MIDI File it holds.
FileCheck ParseMidi(std::vector<uint8_t>& bytes, uint32_t& lengthMs);

// Decodes a RIFF wave file to interleaved stereo float at `rate` frames per second.
FileCheck DecodeWave(const std::vector<uint8_t>& bytes, int rate, std::vector<float>& stereo);

}  // namespace tv::sdl
