// The game's media control in a page: the portable layer over the mixer,
// with the recordings decoded by the browser.
#include "platform/web/web_sound.h"

#include <algorithm>
#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include "platform/base/require.h"
#include "platform/files/file_read.h"
#include "platform/files/system.h"
#include "platform/sound/recording_index.h"
#include "platform/sound/sound_output.h"
#include "platform/web/web_audio.h"
#include "platform/web/web_page.h"

namespace tv {
namespace {

// The recordings' folder as the page's site holds it.
constexpr const char* kSiteRecordings = "recordings/";

// A recording decoded by the browser and kept by the page, played as the
// piece: finished at the frame its last event is played, ringing on after it.
class DecodedPiece final : public MidiRenderer {
 public:
  DecodedPiece(int handle, int channels, uint64_t frames, uint64_t done)
      : handle_(handle), channels_(channels), frames_(frames), done_(std::min(done, frames)) {}
  ~DecodedPiece() override { page::ReleaseSound(handle_); }

  void Start() override {
    playing_ = true;
    halted_ = false;
  }
  // Halted, it counts as finished until started again, as a halted sequence does.
  void Stop() override {
    playing_ = false;
    halted_ = true;
  }
  bool Rewind() override {
    playing_ = false;
    halted_ = false;
    position_ = 0;
    return true;
  }
  bool Finished() const override { return halted_ || position_ >= done_; }
  void RenderInto(float* out, int frames) override {
    if (!playing_ || position_ >= frames_) return;
    const int want = int(std::min<uint64_t>(uint64_t(frames), frames_ - position_));
    scratch_.assign(size_t(want) * 2, 0.0f);
    const int got = page::ReadSound(handle_, int64_t(position_), scratch_.data(), want, channels_);
    for (size_t i = 0; i < size_t(got) * 2; ++i) out[i] += scratch_[i];
    position_ += uint64_t(got);
  }

 private:
  int handle_;
  int channels_;
  uint64_t frames_;
  uint64_t done_;
  uint64_t position_ = 0;
  bool playing_ = false;
  bool halted_ = false;
  std::vector<float> scratch_;
};

// The index's file names in its order, which the build gives by level.
std::vector<std::string> IndexedFiles() {
  std::vector<uint8_t> bytes;
  std::vector<std::string> files;
  if (ReadRegularFile(JoinPath(JoinPath(ProgramDirectory(), "recordings"), kRecordingIndexName), 1 << 16, bytes) != 0)
    return files;
  std::istringstream lines(std::string(bytes.begin(), bytes.end()));
  std::string key, file, done;
  while (lines >> key >> file >> done)
    files.push_back(file);
  return files;
}

// The file after `file` in the index, decoded ahead: the next level's piece.
void DecodeNext(const std::string& file) {
  static const std::vector<std::string> files = IndexedFiles();
  auto it = std::find(files.begin(), files.end(), file);
  if (it != files.end() && ++it != files.end()) page::DecodeAhead(kSiteRecordings + *it, AudioDevice::kRate);
}

std::unique_ptr<MidiRenderer> MakeRenderer(const std::vector<uint8_t>& piece, MidiMissing& missing) {
  uint64_t done = 0;
  const std::string path = RecordingFor(ProgramDirectory(), piece, &done);
  missing = MidiMissing::Output;
  if (path.empty()) return nullptr;
  const std::string file = path.substr(path.find_last_of('/') + 1);
  int channels = 0;
  int64_t frames = 0;
  std::string why;
  const int handle = page::DecodeSiteSound(kSiteRecordings + file, AudioDevice::kRate, channels, frames, why);
  if (!handle) {
    std::fprintf(stderr, "tarvolen: the recording %s cannot be played (%s); the piece is silent\n", file.c_str(),
                 why.c_str());
    return nullptr;
  }
  DecodeNext(file);
  return std::make_unique<DecodedPiece>(handle, channels, uint64_t(std::max<int64_t>(frames, 0)), done);
}

}  // namespace

WebSound::WebSound() : device(MakeWebAudioOutput()) {}

WebSound::~WebSound() { Require(layers.load() == 0, "a media control layer outlives the sound it plays on"); }

std::unique_ptr<MediaControl> MakeWebMediaControl(WebSound& sound, MediaPostSink post) {
  return MakeCountedMediaControl(sound.layers, sound.device.Mixer(), MakeRenderer, std::move(post));
}

}  // namespace tv
