// Pictures, tunes and sounds written by other tools (tests/corpus/make_corpus.sh),
// through the real loaders: each file loads with its reference's pixels, plays
// audibly, or is refused with its text, as tests/corpus/expected.txt says.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/base/exceptions.h"
#include "platform/sound/media_files.h"
#include "platform/files/picture_file.h"
#include "platform/sound/audio_device.h"
#include "platform/sdl/sdl_bmp.h"
#include "platform/fluidsynth/synth.h"
#include "tests/support/sound_on_sdl.h"

namespace tv {
namespace {

const std::string kDir = TARVOLEN_CORPUS_DIR;

struct Expectation {
  std::string file, result, arg;  // arg: the reference and tolerance, or the error text
};

std::vector<Expectation> Expected() {
  std::ifstream in(kDir + "/../expected.txt");
  std::vector<Expectation> all;
  for (std::string line; std::getline(in, line);) {
    std::istringstream words(line);
    Expectation e;
    words >> e.file >> e.result >> std::ws;
    std::getline(words, e.arg);
    all.push_back(e);
  }
  return all;
}

bool EndsWith(const std::string& s, const std::string& end) {
  return s.size() >= end.size() && s.compare(s.size() - end.size(), end.size(), end) == 0;
}

Bitmap ReadPpm(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::string magic;
  int w = 0, h = 0, max = 0;
  in >> magic >> w >> h >> max;
  in.get();
  Bitmap b(w, h);
  for (Pixel& p : b.pixels) {
    unsigned char rgb[3];
    in.read(reinterpret_cast<char*>(rgb), 3);
    p = Pixel(rgb[0]) << 16 | Pixel(rgb[1]) << 8 | rgb[2];
  }
  return b;
}

// The largest difference of one channel between the two pictures.
int WorstChannel(const Bitmap& a, const Bitmap& b) {
  int worst = 0;
  for (size_t i = 0; i < a.pixels.size(); ++i)
    for (int s = 0; s <= 16; s += 8)
      worst = std::max(worst, std::abs(int(a.pixels[i] >> s & 0xFF) - int(b.pixels[i] >> s & 0xFF)));
  return worst;
}

std::string OpenError(MediaControl& mci, const std::string& path) {
  MciOpenParms p;
  p.elementName = path;
  const uint32_t err = mci.SendCommand(0, MCI_OPEN, MCI_WAIT | MCI_OPEN_ELEMENT, &p);
  if (err == 0) {
    MciGenericParms close;
    mci.SendCommand(p.deviceId, MCI_CLOSE, MCI_WAIT, &close);
    return "";
  }
  return mci.ErrorText(err);
}

double Rms(const std::vector<float>& pcm) {
  double sum = 0;
  for (float v : pcm) sum += double(v) * v;
  return pcm.empty() ? 0 : std::sqrt(sum / double(pcm.size()));
}

// The first second of the tune, as the synthesiser renders it.
double RenderedRms(GameSound& sound, const std::string& path) {
  std::vector<uint8_t> bytes;
  uint32_t ms = 0;
  if (ReadMediaFile(path, bytes) != FileCheck::Ok || ParseMidi(bytes, ms) != FileCheck::Ok) return -1;
  if (!sound.synth.Prepare()) return -1;
  AudioDevice::Lock lock(sound.device);
  auto seq = MidiSequence::Create(sound.synth, std::move(bytes));
  if (!seq) return -1;
  seq->Start();
  std::vector<float> pcm(size_t(2 * AudioDevice::kRate), 0.0f);
  seq->RenderInto(pcm.data(), AudioDevice::kRate);
  seq->Stop();
  return Rms(pcm);
}

TEST(Corpus, EveryFileIsLoadedPlayedOrRefusedAsExpected) {
  setenv("SDL_AUDIODRIVER", "dummy", 0);
  InstallSdlBitmapDecoder();
  test::SoundOnSdl sdl;
  MediaControl* mci = sdl.media.get();
  const auto all = Expected();
  ASSERT_GE(all.size(), 40u);
  for (const Expectation& e : all) {
    SCOPED_TRACE(e.file);
    const std::string path = kDir + "/" + e.file;
    if (EndsWith(e.file, ".bmp")) {
      std::string refusal;
      Bitmap got;
      try {
        got = LoadBitmapFile(path);
      } catch (const std::exception& ex) {
        refusal = ex.what();
      }
      if (e.result == "refused") {
        EXPECT_EQ(refusal, e.arg);
        continue;
      }
      ASSERT_EQ(refusal, "");
      std::istringstream args(e.arg);
      std::string reference;
      int tolerance = 0;
      args >> reference >> tolerance;
      const Bitmap want = ReadPpm(kDir + "/" + reference);
      ASSERT_EQ(got.width, want.width);
      ASSERT_EQ(got.height, want.height);
      EXPECT_LE(WorstChannel(got, want), tolerance);
      continue;
    }
    const std::string error = OpenError(*mci, path);
    if (e.result == "refused") {
      EXPECT_EQ(error, e.arg);
      continue;
    }
    EXPECT_EQ(error, "");
    if (EndsWith(e.file, ".wav")) {
      std::vector<uint8_t> bytes;
      std::vector<float> pcm;
      ASSERT_EQ(ReadMediaFile(path, bytes), FileCheck::Ok);
      ASSERT_EQ(DecodeWave(bytes, AudioDevice::kRate, pcm), FileCheck::Ok);
      ASSERT_FALSE(pcm.empty());
      float peak = 0;
      for (float v : pcm) peak = std::max(peak, std::abs(v));
      EXPECT_GT(peak, 0.1f);
    } else {
      EXPECT_GT(RenderedRms(sdl.sound, path), 0.001) << "silent";
    }
  }
}

}  // namespace
}  // namespace tv
