#pragma once
// A compact note notation for the game's music, turned into timed notes.
//
// Lines (melodies, counter-lines, drum patterns):
//   a-g     a note; '+' or '#' sharpens, '-' flattens; then a length and dots: e4 f+8. b-2
//   r       a rest, with a length like a note
//   &N      after a note: tie on a further length (c2&8)
//   oN < >  set the octave (o4: c is middle C), one octave down, one up
//   lN      the default length (4 = quarter, 8 = eighth, 16, 2, 1; dots allowed)
//   vN      velocity of the following notes
//   {ceg}4  notes sounding together
//   [ ... ]N  the enclosed passage N times
//   |       bar line: checked to fall on a bar boundary
// In drum lines each letter is one hit of the default length:
//   k kick, s snare, h closed hat, o open hat, c crash, i ride, x clap,
//   f floor tom, t low tom, m high tom; '-' is a silent step; capitals are accented.
//
// Chord charts: one bar per word ("F Dm Bb C7"); a word with commas splits its
// bar evenly ("C,G"). Qualities: major, m, 7, m7, maj7, dim, sus4, 5.
#include <cstdint>
#include <string_view>
#include <vector>

namespace tv {

constexpr int kPpqn = 480;  // ticks per quarter note

struct Note {
  int64_t start = 0;   // ticks
  int64_t length = 0;  // ticks
  int key = 60;
  int velocity = 90;
};

struct Line {
  std::vector<Note> notes;
  int64_t length = 0;  // ticks, rests included
};

struct Chord {
  int root = 0;  // pitch class, 0 = C
  std::vector<int> intervals;
  int64_t start = 0;
  int64_t length = 0;
};

enum class Style {
  Pad,      // the chord held
  Arp8,     // broken chord in eighths, up and down
  Arp16,    // broken chord in sixteenths
  Power8,   // root, fifth and octave struck every eighth
  Bass1,    // the root held
  Bass4,    // roots and fifths on the beats
  Bass8,    // the root pulsing in eighths
  Bass16,   // root and octave in sixteenths
  Timpani,  // the root struck on the strong beats
};

// Both throw std::runtime_error naming the offset of a fault in the text.
Line ParseLine(std::string_view text, int beatsPerBar, bool drums);
std::vector<Chord> ParseChart(std::string_view text, int beatsPerBar);

// An accompaniment in the given style over the chart; the last chord is held.
Line Arrange(const std::vector<Chord>& chart, Style style, int velocity);

}  // namespace tv
