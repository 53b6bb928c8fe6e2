// What Windows itself brings to the sound: Media Foundation decodes the
// recordings and ACM the wave files to the very samples libsndfile gives the
// Linux build, and Media Foundation goes down cleanly with the program.
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "platform/headless/recording_audio.h"
#include "platform/win32/win32_sound.h"
#include "tests/support/pcm_reference.h"

namespace tv {
namespace {

const std::string kTests = std::string(TARVOLEN_CORPUS_DIR) + "/../..";

TEST(WindowsSound, RecordingsAndWavesDecodeAsOnLinux) {
  const auto references = test::PcmReferences(kTests);
  ASSERT_EQ(references.size(), 2u) << "tests/win32/pcm_reference.txt";
  for (const auto& [file, reference] : references) {
    const std::vector<float> heard = test::HeardPcm(kTests + "/" + file, reference.frames);
    EXPECT_EQ(heard.size() / 2, reference.frames) << file;
    EXPECT_EQ(test::PcmHash(heard), reference.hash) << file;
  }
}

// Whatever goes first, Media Foundation is shut down only after its last
// reader has gone: a reader alive at MFShutdown crashed the program as it
// exited. Each order runs in a process of its own, to its exit.
TEST(WindowsSound, AProgramThatPlayedARecordingExitsCleanly) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  enum class Last { Piece, Sound, Neither };
  for (Last last : {Last::Piece, Last::Sound, Last::Neither}) {
    EXPECT_EXIT(
        {
          auto sound = std::make_unique<Win32Sound>(std::make_unique<RecordingAudioOutput>());
          if (!sound->Recordings()) std::exit(2);
          auto piece = RecordedPiece::Open(kTests + "/win32/tone.flac", AudioDevice::kRate);
          if (!piece) std::exit(3);
          std::vector<float> out(2 * 1024);
          piece->Start();
          piece->RenderInto(out.data(), 1024);
          if (last == Last::Sound) piece.reset();
          sound.reset();
          if (last == Last::Neither) static_cast<void>(piece.release());  // still reading as the program ends
          piece.reset();
          std::exit(0);
        },
        ::testing::ExitedWithCode(0), "")
        << int(last);
  }
}

}  // namespace
}  // namespace tv
