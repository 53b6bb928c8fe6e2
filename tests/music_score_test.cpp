// The note notation the music generator is written in: a fault here would
// put wrong notes, or none, into every piece.
#include <gtest/gtest.h>

#include <stdexcept>

#include "tools/music_score.h"

namespace tv {
namespace {

constexpr int64_t Q = kPpqn;  // a quarter note

std::vector<int> Keys(const Line& line) {
  std::vector<int> keys;
  for (const auto& n : line.notes) keys.push_back(n.key);
  return keys;
}

TEST(MusicNotation, NotesOctavesAndAccidentals) {
  const Line line = ParseLine("o4 c d e f g a b > c < b- c+ c# e-", 4, false);
  EXPECT_EQ(Keys(line), (std::vector<int>{60, 62, 64, 65, 67, 69, 71, 72, 70, 61, 61, 63}));
}

TEST(MusicNotation, LengthsDotsTiesAndRests) {
  const Line line = ParseLine("l8 c c4 c4. r2 c8&16 c", 4, false);
  ASSERT_EQ(line.notes.size(), 5u);
  EXPECT_EQ(line.notes[0].length, Q / 2);
  EXPECT_EQ(line.notes[1].length, Q);
  EXPECT_EQ(line.notes[2].length, Q + Q / 2);
  EXPECT_EQ(line.notes[3].start, Q / 2 + Q + Q + Q / 2 + 2 * Q);  // after the half rest
  EXPECT_EQ(line.notes[3].length, Q / 2 + Q / 4);
  EXPECT_EQ(line.notes[4].length, Q / 2);  // the default length is back
  EXPECT_EQ(line.length, line.notes[4].start + Q / 2);
}

TEST(MusicNotation, RepeatsNestAndKeepTheirState) {
  const Line line = ParseLine("l4 [c [d]2 >]2", 4, false);
  EXPECT_EQ(Keys(line), (std::vector<int>{60, 62, 62, 72, 74, 74}));
  EXPECT_EQ(line.length, 6 * Q);
}

TEST(MusicNotation, ChordsSoundTogetherForOneLength) {
  const Line line = ParseLine("{ce>g}2 d4", 4, false);
  ASSERT_EQ(line.notes.size(), 4u);
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(line.notes[size_t(i)].start, 0);
    EXPECT_EQ(line.notes[size_t(i)].length, 2 * Q);
  }
  EXPECT_EQ(Keys(line), (std::vector<int>{60, 64, 79, 62}));  // the octave inside {} does not leak
  EXPECT_EQ(line.notes[3].start, 2 * Q);
}

TEST(MusicNotation, BarLinesMustFallOnBars) {
  EXPECT_NO_THROW(ParseLine("c4 d4 e2 | f1 |", 4, false));
  EXPECT_NO_THROW(ParseLine("c4 d4 e4 |", 3, false));
  EXPECT_THROW(ParseLine("c4 d4 e4 |", 4, false), std::runtime_error);
  EXPECT_THROW(ParseLine("[c4 d8 |]2", 4, false), std::runtime_error);
}

TEST(MusicNotation, MistakesAreRefused) {
  for (const char* bad : {"c4 [d4", "c4 ]", "c7", "h4", "{ce", "o4 c0", "v"})
    EXPECT_THROW(ParseLine(bad, 4, false), std::runtime_error) << bad;
  EXPECT_THROW(ParseLine("kq", 4, true), std::runtime_error);
  EXPECT_THROW(ParseLine("o10 c", 4, false), std::runtime_error);
}

TEST(MusicNotation, DrumLettersAreStepsAndCapitalsAccent) {
  const Line line = ParseLine("l8 v60 k-{sh}K", 4, true);
  ASSERT_EQ(line.notes.size(), 4u);
  EXPECT_EQ(line.notes[0].key, 36);
  EXPECT_EQ(line.notes[1].start, Q);  // after a silent step
  EXPECT_EQ(line.notes[1].start, line.notes[2].start);
  EXPECT_EQ(line.notes[3].key, 36);
  EXPECT_GT(line.notes[3].velocity, line.notes[0].velocity);
  EXPECT_EQ(line.length, 4 * (Q / 2));
}

TEST(MusicChart, BarsSplitAndQualities) {
  const auto chart = ParseChart("C Am7 F#,Bbsus4 G5", 4);
  ASSERT_EQ(chart.size(), 5u);
  EXPECT_EQ(chart[0].intervals, (std::vector<int>{0, 4, 7}));
  EXPECT_EQ(chart[1].root, 9);
  EXPECT_EQ(chart[1].intervals, (std::vector<int>{0, 3, 7, 10}));
  EXPECT_EQ(chart[2].root, 6);
  EXPECT_EQ(chart[2].start, 8 * Q);
  EXPECT_EQ(chart[2].length, 2 * Q);
  EXPECT_EQ(chart[3].root, 10);
  EXPECT_EQ(chart[3].start, 10 * Q);
  EXPECT_EQ(chart[4].intervals, (std::vector<int>{0, 7}));
  EXPECT_THROW(ParseChart("C Hm", 4), std::runtime_error);
  EXPECT_THROW(ParseChart("C Cm9", 4), std::runtime_error);
}

TEST(MusicArrangement, EveryStyleFillsTheChartWithChordTones) {
  const auto chart = ParseChart("C Am F G7 C", 4);
  for (Style style : {Style::Pad, Style::Arp8, Style::Arp16, Style::Power8, Style::Bass1, Style::Bass4,
                      Style::Bass8, Style::Bass16, Style::Timpani}) {
    const Line line = Arrange(chart, style, 80);
    EXPECT_EQ(line.length, 20 * Q);
    ASSERT_FALSE(line.notes.empty());
    for (const auto& n : line.notes) {
      const Chord* under = nullptr;
      for (const auto& c : chart)
        if (n.start >= c.start && n.start < c.start + c.length) under = &c;
      ASSERT_NE(under, nullptr);
      EXPECT_LE(n.start + n.length, under->start + under->length);  // nothing rings into the next chord
      // Every note is a tone of its chord (the power chord's fifth included).
      const int interval = ((n.key - under->root) % 12 + 12) % 12;
      bool tone = interval == 7;
      for (int iv : under->intervals) tone |= iv % 12 == interval;
      EXPECT_TRUE(tone) << "key " << n.key << " at " << n.start;
      EXPECT_GE(n.key, 28);
      EXPECT_LE(n.key, 84);
    }
    // The last chord is held to the end.
    EXPECT_EQ(line.notes.back().start + line.notes.back().length, 20 * Q);
  }
}

}  // namespace
}  // namespace tv
