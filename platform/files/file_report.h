#pragma once
#include <string>

namespace tv {

// The files the game goes on without when they cannot be used (its music, the
// hit effect, a piece's recording) are dropped without a box; stderr names
// each with why, so that a silent game can be explained. One line per file
// and run: the same file opened again at every level says nothing new. Safe
// from any thread (a recording is found damaged on the audio thread).
void ReportUnusableFile(const std::string& path, const std::string& why);

// Whether `path` was reported unusable in this run.
bool ReportedUnusable(const std::string& path);

}  // namespace tv
