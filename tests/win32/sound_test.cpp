// What Windows itself brings to the sound: Media Foundation decodes the
// recordings and ACM the wave files to the very samples libsndfile gives the
// Linux build, and Media Foundation goes down cleanly with the program.
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "platform/headless/recording_audio.h"
#include "platform/sound/media_control.h"
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

// A piece without its recording goes to the system's MIDI output; a machine
// without one (Wine) refuses it with its own text, said once on stderr.
TEST(WindowsSound, APieceWithoutItsRecordingGoesToMidiOrIsRefusedOnce) {
  Win32Sound sound(std::make_unique<RecordingAudioOutput>());
  auto mci = MakeWin32MediaControl(sound, {});
  ::testing::internal::CaptureStderr();
  for (int round = 0; round < 2; ++round) {
    MciOpenParms open;
    open.elementName = std::string(TARVOLEN_CORPUS_DIR) + "/abc_tune.mid";
    const uint32_t error = mci->SendCommand(0, MCI_OPEN, MCI_OPEN_ELEMENT, &open);
    if (error == 0) continue;
    EXPECT_EQ(mci->ErrorText(error), "No MIDI output device is available for music without its recording.");
  }
  const std::string err = ::testing::internal::GetCapturedStderr();
  size_t said = 0;
  for (size_t at = err.find("MIDI output"); at != std::string::npos; at = err.find("MIDI output", at + 1)) ++said;
  EXPECT_LE(said, 1u) << err;
  mci.reset();
}

// Whatever goes first, the piece's reader or the sound, the program exits
// cleanly with Media Foundation still started (a shutdown under Wine while a
// reader was still being torn down crashed it). Each order runs in a process
// of its own, to its exit.
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
