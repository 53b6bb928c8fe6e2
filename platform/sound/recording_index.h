#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace tv {

// The index the build writes beside the recordings (tools/render_music), so a
// program without the synthesiser (the Windows one) finds a piece's
// recording: one line per piece, "<key> <file name> <done frame>", the key
// over the piece's normalised bytes alone. The Linux program finds its
// recordings by the synthesiser's identity instead (RecordingName).

// The index's file name in the recordings folder: no extension, since a .txt
// among the program's files reads as documentation to Debian's package checks.
inline constexpr const char* kRecordingIndexName = "index";

// The key of a normalised piece in the index.
std::string RecordingKey(const std::vector<uint8_t>& normalisedPiece);

// One line of the index, newline included.
std::string RecordingIndexLine(const std::vector<uint8_t>& normalisedPiece, const std::string& fileName,
                               uint64_t doneFrame);

// The path of the recording of `normalisedPiece` beside the program in
// `programDir`, and the frame its last event is played at; empty when the
// index names none. An index that is missing or damaged (a line garbled or
// too long, a file name with a path in it) names no recording at all, and
// stderr says so once a run.
std::string RecordingFor(const std::string& programDir, const std::vector<uint8_t>& normalisedPiece,
                         uint64_t* doneFrame);

}  // namespace tv
