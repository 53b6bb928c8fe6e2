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
// The browser decodes it while the game goes on: until it has, the piece
// stands at its first frame, silent, so no level ever waits for its music.
class DecodedPiece final : public MidiRenderer {
 public:
  DecodedPiece(int handle, std::string file, uint64_t done) : handle_(handle), file_(std::move(file)), done_(done) {}
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
  bool Finished() const override { return halted_ || failed_ || (frames_ > 0 && position_ >= done_); }
  void RenderInto(float* out, int frames) override {
    if (!playing_ || !Decoded() || position_ >= uint64_t(frames_)) return;
    const int want = int(std::min<uint64_t>(uint64_t(frames), uint64_t(frames_) - position_));
    scratch_.assign(size_t(want) * 2, 0.0f);
    const int got = page::ReadSound(handle_, int64_t(position_), scratch_.data(), want, 2);
    for (size_t i = 0; i < size_t(got) * 2; ++i) out[i] += scratch_[i];
    position_ += uint64_t(got);
  }

 private:
  // Whether the browser has the samples; a recording it cannot decode ends
  // the piece, said once.
  bool Decoded() {
    if (frames_ > 0) return true;
    if (failed_) return false;
    const int64_t frames = page::SoundFrames(handle_);
    if (frames == page::kPending) return false;
    if (frames <= 0) {
      failed_ = true;
      std::fprintf(stderr, "tarvolen: the recording %s cannot be played; the piece is silent\n", file_.c_str());
      return false;
    }
    frames_ = frames;
    done_ = std::min(done_, uint64_t(frames_));
    return true;
  }

  int handle_;
  std::string file_;
  uint64_t done_;
  int64_t frames_ = 0;
  uint64_t position_ = 0;
  bool playing_ = false;
  bool halted_ = false;
  bool failed_ = false;
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
  const int handle = page::OpenSiteSound(kSiteRecordings + file, AudioDevice::kRate);
  if (!handle) return nullptr;
  DecodeNext(file);
  return std::make_unique<DecodedPiece>(handle, file, done);
}

}  // namespace

WebSound::WebSound() : device(MakeWebAudioOutput()) {}

WebSound::~WebSound() { Require(layers.load() == 0, "a media control layer outlives the sound it plays on"); }

std::unique_ptr<MediaControl> MakeWebMediaControl(WebSound& sound, MediaPostSink post) {
  return MakeCountedMediaControl(sound.layers, sound.device.Mixer(), MakeRenderer, std::move(post));
}

}  // namespace tv
