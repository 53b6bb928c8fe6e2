// A page plays the recordings the browser decodes (web_sound.cpp), never
// through this reader: it finds no file.
#include "platform/sound/recording_file.h"

namespace tv {

std::unique_ptr<RecordingFile> RecordingFile::Open(const std::string&, std::string& problem) {
  problem.clear();
  return nullptr;
}

}  // namespace tv
