// A session recorded on the real window (`--record`) replays headless
// (`--replay --headless`) call for call to the same end.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "tests/e2e/game_on_x.h"
#include "tests/e2e/process.h"
#include "tests/e2e/x11_driver.h"

namespace tv::e2e {
namespace {

class JournalOnX : public GameOnX {};

TEST_F(JournalOnX, ASessionRecordedOnTheWindowReplaysHeadlessToTheSameEnd) {
  journal_ = desk_.TempDir() + "/session.journal";
  ASSERT_NO_FATAL_FAILURE(Start({"--record", journal_}));
  // A two-player match, a few aiming keys, back to the menu, and Exit.
  desk_.Key(main_.id, "Down");
  ASSERT_TRUE(desk_.WaitPixel(main_.id, kRowX, kRowY[1], kRed));
  desk_.Key(main_.id, "Return");
  ASSERT_TRUE(desk_.WaitPicture(
      main_.id, [](const Screenshot& s) { return s.At(40, 10) == kSky && s.AnyIn(510, 13, 61, 51, kStar); }, 20s))
      << "the playfield never showed";
  desk_.Key(main_.id, "Up Up Left a Down");
  desk_.Key(main_.id, "Escape");
  ASSERT_TRUE(desk_.WaitPixel(main_.id, kRowX, kRowY[0], kRed)) << "the menu did not come back";
  desk_.Key(main_.id, "Up");
  ASSERT_TRUE(desk_.WaitPixel(main_.id, kRowX, kRowY[3], kRed));
  desk_.Key(main_.id, "Return");
  auto status = desk_.WaitExit(10s);
  ASSERT_TRUE(status && status->Clean()) << (status ? Describe(*status) : "still running");

  SpawnOptions o;
  const std::string png = desk_.TempDir() + "/last.png";
  o.argv = {TARVOLEN_PROGRAM, "--replay", journal_, "--headless", "--png", png};
  o.env = {"PATH=/usr/bin:/bin", "HOME=" + desk_.TempDir(), "SDL_AUDIODRIVER=dummy"};
  o.stdoutPath = desk_.TempDir() + "/replay.out";
  o.stderrPath = desk_.TempDir() + "/replay.err";
  auto replay = WaitChild(Spawn(o), 60s);
  const std::string out = ReadWholeFile(o.stdoutPath), err = ReadWholeFile(o.stderrPath);
  ASSERT_TRUE(replay && replay->exited && replay->code == 0) << "the replay went astray:\n" << err << out;
  // Left from the menu's Exit row, after a match was set up (gravity set).
  EXPECT_NE(out.find("Phase=menu\n"), std::string::npos) << out;
  EXPECT_NE(out.find("MenuIndex=3\n"), std::string::npos) << out;
  EXPECT_NE(out.find("Gravity=10\n"), std::string::npos) << out;
  struct stat st {};
  EXPECT_TRUE(stat(png.c_str(), &st) == 0 && st.st_size > 0) << "no last frame";
}

TEST_F(JournalOnX, AJournalThatCannotBeWrittenIsReportedWhenTheWindowClosesWithStatusOne) {
  journal_ = "/dev/full";
  ASSERT_NO_FATAL_FAILURE(Start({"--record", journal_}));
  desk_.Key(main_.id, "Down");
  ASSERT_TRUE(desk_.WaitPixel(main_.id, kRowX, kRowY[1], kRed)) << "the game stopped at the journal's failure";
  desk_.Close(main_.id);
  auto status = desk_.WaitExit(10s);
  ASSERT_TRUE(status && status->exited && status->code == 1) << (status ? Describe(*status) : "still running");
  const std::string line = "tarvolen: cannot write the journal /dev/full: " + std::string(std::strerror(ENOSPC)) + "\n";
  EXPECT_NE(desk_.Stderr().find(line), std::string::npos) << desk_.Stderr();
}

}  // namespace
}  // namespace tv::e2e
