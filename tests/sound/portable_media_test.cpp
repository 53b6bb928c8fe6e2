// The media control layer and the mixer are portable: over the recording
// output (a sound backend of twenty lines) M1 plays the real hit effect and a
// tune, with the same notices and the same samples the SDL device would get.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "platform/sound/media_player.h"
#include "platform/sound/audio_mixer.h"
#include "platform/base/exceptions.h"
#include "platform/headless/recording_audio.h"
#include "platform/sound/media_files.h"
#include "platform/sound/midi_port.h"
#include "platform/sound/sound_output.h"

namespace tv {
namespace {

std::string Data(const std::string& name) { return std::string(TARVOLEN_DATA_DIR) + "/" + name; }

// A tune renderer that sounds a constant until it has rendered `length` frames.
class ConstantTune final : public MidiRenderer {
 public:
  void Start() override { playing_ = true; }
  void Stop() override { playing_ = false; }
  bool Rewind() override {
    done_ = 0;
    playing_ = false;
    return !lostOnRewind;
  }
  bool Finished() const override { return done_ >= kLength; }
  void RenderInto(float* out, int frames) override {
    for (int i = 0; playing_ && i < frames && done_ < kLength; ++i, ++done_) {
      out[2 * i] += 0.5f;
      out[2 * i + 1] += 0.5f;
    }
  }
  static constexpr int kLength = 4410;
  bool lostOnRewind = false;  // as a synthesiser that cannot make a player again

 private:
  bool playing_ = false;
  int done_ = 0;
};

// The mixer as the layer's output, counting how deep the caller holds its lock.
class WatchedOutput final : public SoundOutput {
 public:
  explicit WatchedOutput(AudioMixer& mixer) : mixer_(mixer) {}
  bool Ready() override { return mixer_.Ready(); }
  int Rate() const override { return mixer_.Rate(); }
  void Lock() override {
    mixer_.Lock();
    ++depth;
  }
  void Unlock() override {
    --depth;
    mixer_.Unlock();
  }
  void SetVoice(MediaVoice* voice) override { mixer_.SetVoice(voice); }
  void RemoveVoice(MediaVoice* voice) override { mixer_.RemoveVoice(voice); }
  int depth = 0;

 private:
  AudioMixer& mixer_;
};

struct PortableMedia : ::testing::Test {
  RecordingAudioOutput out;
  AudioMixer mixer{out};
  WatchedOutput watched{mixer};
  int makersLocked = 0;  // tunes made with the output locked
  bool tunesLostOnRewind = false;
  std::vector<Event> notices;
  std::unique_ptr<MediaControl> mci = MakeMediaControl(
      watched,
      [this](std::vector<uint8_t>, MidiMissing&) {
        makersLocked += watched.depth > 0;
        auto tune = std::make_unique<ConstantTune>();
        tune->lostOnRewind = tunesLostOnRewind;
        return tune;
      },
      [this](const Event& ev) { notices.push_back(ev); });
  TMediaPlayer m1{*mci};

  void Play(const std::string& file) {
    m1.SetFileName(file);
    m1.Open();
    m1.Play();
  }
  bool Ended() {
    for (const Event& ev : notices)
      if (ev.type == Event::Type::MediaNotify && ev.param == MCI_NOTIFY_SUCCESSFUL) return true;
    return false;
  }
};

TEST_F(PortableMedia, TheHitEffectComesOutWholeAndItsEndIsNoticed) {
  std::vector<uint8_t> bytes;
  std::vector<float> wave;
  ASSERT_EQ(ReadMediaFile(Data("hit.wav"), bytes), FileCheck::Ok);
  ASSERT_EQ(DecodeWave(bytes, AudioMixer::kRate, wave), FileCheck::Ok);
  ASSERT_FALSE(wave.empty());

  Play(Data("hit.wav"));
  for (int i = 0; i < 400 && !Ended(); ++i) out.Pull(512);
  ASSERT_TRUE(Ended()) << "no completion notice";
  const std::vector<float>& heard = out.Samples();
  ASSERT_GE(heard.size(), wave.size());
  for (size_t i = 0; i < wave.size(); ++i) ASSERT_FLOAT_EQ(heard[i], wave[i]) << "sample " << i;
}

TEST_F(PortableMedia, ATuneIsRenderedFromItsStartAndTheDeviceGoesWhenAllIsQuiet) {
  Play(Data("0.mid"));
  // Made before the lock: the mixing thread never waits for a recording to
  // open or a synthesiser to load.
  EXPECT_EQ(makersLocked, 0);
  out.Pull(ConstantTune::kLength);
  EXPECT_EQ(out.Samples().front(), 0.5f);
  EXPECT_EQ(out.Samples().back(), 0.5f);
  // The tune's ring and the mixer's grace period pass; then nothing pulls.
  for (int i = 0; i < 1000 && out.Running(); ++i) out.Pull(4410);
  EXPECT_FALSE(out.Running());
  EXPECT_TRUE(Ended());
}

// A seek that loses the tune's renderer fails, and still tells the play it cut off.
TEST_F(PortableMedia, ASeekThatFailsStillNoticesThePlayItStopped) {
  tunesLostOnRewind = true;
  MciOpenParms open;
  open.elementName = Data("0.mid");
  ASSERT_EQ(mci->SendCommand(0, MCI_OPEN, MCI_WAIT | MCI_OPEN_ELEMENT, &open), 0u);
  MciPlayParms play;
  play.callback = 1;
  ASSERT_EQ(mci->SendCommand(open.deviceId, MCI_PLAY, MCI_NOTIFY, &play), 0u);
  MciSeekParms seek;
  EXPECT_NE(mci->SendCommand(open.deviceId, MCI_SEEK, MCI_WAIT | MCI_SEEK_TO_START, &seek), 0u);
  ASSERT_EQ(notices.size(), 1u);
  EXPECT_EQ(notices[0].id, open.deviceId);
  EXPECT_EQ(notices[0].param, MCI_NOTIFY_ABORTED);
}

// The game drops a file it cannot play and goes on silent; stderr names it
// with the layer's text, once however often the game opens it again.
TEST_F(PortableMedia, AFileThatCannotBePlayedIsNamedOnStderrOnce) {
  // A folder of its own (mkdtemp is not on every system this test runs on).
  const std::string dir = ::testing::TempDir() + "tarvolen-unplayable-" + std::to_string(std::random_device{}());
  ASSERT_TRUE(std::filesystem::create_directories(dir));
  const std::string broken = std::string(dir) + "/0.mid", big = std::string(dir) + "/hit.wav";
  std::ofstream(broken) << "MThd and no more";
  std::ofstream(big).close();
  std::filesystem::resize_file(big, kMaxMediaFileBytes + 1);
  ::testing::internal::CaptureStderr();
  for (int round = 0; round < 3; ++round)
    for (const std::string& file : {broken, big}) EXPECT_THROW(Play(file), EMCIDeviceError);
  const std::string err = ::testing::internal::GetCapturedStderr();
  std::filesystem::remove_all(dir);
  EXPECT_EQ(err, "tarvolen: " + broken + ": The file is not a valid MIDI file.\n" + "tarvolen: " + big +
                     ": The file is too large to be played.\n");
}

// A piece sequenced to a MIDI port (Windows' midiOut) sends each event in the
// block that holds its time, the tempo changing on the way, and is finished
// once its end is rendered. Stop and Rewind silence every note.
TEST(MidiPortSequence, EventsGoOutAtTheirFramesAndStopSilencesThePort) {
  struct FakePort final : MidiPort {
    void Send(uint32_t message) override { sent.push_back({now, message}); }
    void Reset() override { sent.push_back({now, 0}); }
    uint64_t now = 0;
    std::vector<std::pair<uint64_t, uint32_t>> sent;  // 0 for all notes off
  } port;
  // 96 ticks a quarter: a note at 120 beats a minute, the tempo doubled at
  // the first beat, its end two faster beats on, each with its own delta.
  std::vector<uint8_t> piece = {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 0, 0, 1, 0, 96, 'M', 'T', 'r', 'k', 0, 0, 0, 26,
                                0x00, 0xC0, 0x05, 0x00, 0x90, 0x3C, 0x64, 0x60, 0xFF, 0x51, 0x03, 0x03, 0xD0, 0x90,
                                0x00, 0x80, 0x3C, 0x40, 0x60, 0x91, 0x40, 0x50, 0x60, 0xFF, 0x2F, 0x00};
  uint32_t ms = 0;
  ASSERT_EQ(ParseMidi(piece, ms), FileCheck::Ok);
  auto sequence = SequenceOnPort(port, piece, 44100);
  ASSERT_TRUE(sequence);
  std::vector<float> heard(2 * 22051, 0.0f);  // the port sounds the notes; the output stays silent
  sequence->Start();
  for (; port.now < 50000 && !sequence->Finished(); ++port.now) sequence->RenderInto(heard.data(), 1);
  using Sent = std::vector<std::pair<uint64_t, uint32_t>>;
  EXPECT_EQ(port.sent, (Sent{{0, 0x05C0}, {0, 0x643C90}, {22050, 0x403C80}, {33075, 0x504091}}));
  EXPECT_EQ(port.now, 44101u) << "finished with the block that holds its end";
  sequence->Stop();
  EXPECT_EQ(port.sent.back(), std::make_pair(uint64_t(44101), 0u));
  ASSERT_TRUE(sequence->Rewind());
  EXPECT_FALSE(sequence->Finished());
  port.sent.clear();
  sequence->Start();
  sequence->RenderInto(heard.data(), 22051);
  EXPECT_EQ(port.sent.size(), 3u) << "from its top again, in one block";
  EXPECT_EQ(heard, std::vector<float>(2 * 22051, 0.0f));
  EXPECT_FALSE(SequenceOnPort(port, std::vector<uint8_t>(piece.begin(), piece.end() - 1), 44100));
}

}  // namespace
}  // namespace tv
