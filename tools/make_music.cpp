// Writes the game's music: 0.mid (the menu) and 1.mid to 8.mid (one piece per
// level, each faster, darker and busier than the one before).
// Usage: make_music <output directory>
// smf.h pulls in glib inside extern "C"; glib must come first for C++.
#include <glib.h>
#include <smf.h>

#include <algorithm>
#include <cstdio>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/files/atomic_file.h"
#include "tools/music_score.h"

namespace tv {
namespace {

struct Part {
  const char* name;
  int program;  // General MIDI, 0-based; ignored for drums
  int volume;   // controller 7
  int pan;      // controller 10, 64 = centre
  bool drums;
  const char* line;  // a line in the score notation, or empty to arrange from the chart
  Style style = Style::Pad;
  int velocity = 80;
};

struct Piece {
  const char* title;
  int bpm;
  int beatsPerBar;
  const char* chart;
  std::vector<Part> parts;
};

// 0: the menu. A slow waltz in F major: vibraphone over strings and harp.
const Piece kMenu{"Orbit Waltz", 92, 3,
  "F Dm Bb C F Am Bb C7 Dm Bb F C Dm Gm C F Bb C F F",
  {{"Vibes", 11, 100, 64, false,
    "o5 v92 c2 f4 | a2 g4 | f2 d4 | e2. | c2 f4 | a2 >c4< | b-4 a4 g4 | g2. |"
    " a4 f4 d4 | d2 f4 | c4 f4 a4 | g2. | a4 b-4 a4 | g4 d4 g4 | e4 f4 g4 | f2. |"
    " d4 f4 b-4 | >c2< b-4 | a2 g4 | f2. |"},
   {"Strings", 49, 80, 40, false, "", Style::Pad, 60},
   {"Harp", 46, 78, 90, false, "", Style::Arp8, 62},
   {"Bass", 32, 90, 64, false, "", Style::Bass1, 80}}};

// 1: C major, bright and easy: piano, light kit.
const Piece kLevel1{"First Light", 104, 4,
  "C G Am F C G F G Am F C G Am F G C",
  {{"Piano", 0, 105, 64, false,
    "o5 v96 c8 e8 g4 g4 e4 | d8 g8 b4 a4 g4 | a4 e4 a8 b8 >c4< | a4 g4 f2 |"
    " e8 g8 >c4< b4 g4 | a8 b8 a4 g4 d4 | f4 a4 g4 f4 | g2 r4 d4 |"
    " e4 a4 a8 g8 e4 | f4 a4 >c4< a4 | g4 e4 c8 d8 e4 | d2. r4 |"
    " e4 a4 b4 >c4< | >d4 c4< a4 f4 | g4 b4 >d4< b4 | >c2.< r4 |"},
   {"Guitar", 24, 80, 40, false, "", Style::Arp8, 66},
   {"Bass", 33, 95, 64, false, "", Style::Bass4, 84},
   {"Kit", 0, 80, 64, true, "l8 v70 [{kh}hhh{kh}hhh|]15 {kC}-------|"}}};

// 2: G major, bouncing: marimba, pizzicato, a full backbeat.
const Piece kLevel2{"Skipping Stones", 112, 4,
  "G Em C D G Em Am D C D Bm Em C D G G",
  {{"Marimba", 12, 110, 70, false,
    "o5 v100 d4 g8 a8 b4 a8 g8 | e4 g4 b2 | >c4< b8 a8 g4 e4 | f+2 d2 |"
    " d4 g8 a8 b4 >d4< | >e4 d8 c8< b4 g4 | a4 >c4< e4 a4 | f+2. r4 |"
    " e8 e8 g4 >c4< e4 | f+8 f+8 a4 >d4< a4 | b4 >d4< f+4 b4 | g2 e2 |"
    " e4 g4 >c4 e4< | >d4 c4< a4 f+4 | g4 b4 >d4 c4< | b4 a4 g2 |"},
   {"Pizzicato", 45, 85, 40, false, "", Style::Arp8, 70},
   {"Bass", 33, 95, 64, false, "", Style::Bass8, 80},
   {"Kit", 0, 85, 64, true, "l8 v72 [{kh}h{sh}h{kh}h{sh}h|]14 {kh}h{sh}hssss| {kC}-------|"}}};

// 3: D mixolydian, marching brass over a rock beat.
const Piece kLevel3{"Ridge Line", 120, 4,
  "D C G D Bm G A A D C G D Bm G A D",
  {{"Brass", 61, 105, 64, false,
    "o5 v100 d4. a8 a4 f+4 | g4. e8 c4 e4 | d4 g4 b4 a8 g8 | a2. r4 |"
    " b4. f+8 f+4 d4 | g4. b8 >d4< b4 | a4 g8 f+8 e4 c+4 | e2 r8 a8 a8 a8 |"
    " >d4.< a8 f+4 a4 | >c4.< g8 e4 g4 | b4 a4 g4 b4 | a2. f+8 g8 |"
    " a4 f+4 d4 f+4 | g4 b4 >d4 e4< | >c+4< a4 e4 >c+4< | >d2.< r4 |"},
   {"Strings", 48, 80, 40, false, "", Style::Pad, 64},
   {"Bass", 34, 95, 64, false, "", Style::Bass8, 84},
   {"Kit", 0, 90, 64, true,
    "l8 v76 {kc}h{sh}h{kh}{kh}{sh}h| [{kh}h{sh}h{kh}{kh}{sh}h|]6 {kh}h{sh}hssSS|"
    " {kc}h{sh}h{kh}{kh}{sh}h| [{kh}h{sh}h{kh}{kh}{sh}h|]5 {kh}h{sh}hssSS| {kC}-------|"}}};

// 4: A minor, a saw lead over synth bass; the kit syncopates.
const Piece kLevel4{"Cold Front", 128, 4,
  "Am F G Em Am F E E Dm Am F E Dm Am F E Am F E Am",
  {{"Lead", 81, 95, 64, false,
    "o5 v96 a4 e4 a8 b8 >c4< | >c8 d8 c4< a4 f4 | g4 d4 g8 a8 b4 | b8 >c8< b4 g4 e4 |"
    " a4 e4 a8 b8 >c4< | >d4 c4< a4 >c4< | b4 g+4 e4 g+4 | b2. r4 |"
    " a4 f4 d4 f4 | e4 a4 >c4 e4< | >d4 c4< a4 f4 | g+2 e2 |"
    " a8 a8 f4 d8 e8 f4 | e8 e8 c4 <a4> e4 | f8 g8 a4 >c4< a4 | g+4 b4 >e4< b4 |"
    " >e4. d8 c4< a4 | >c4.< a8 a4 f4 | g+4 b4 g+4 e4 | a2. r4 |"},
   {"Pad", 89, 80, 40, false, "", Style::Pad, 62},
   {"Bass", 38, 100, 64, false, "", Style::Bass8, 86},
   {"Kit", 0, 90, 64, true,
    "l8 v78 [{kc}h{sh}{kh}h{kh}{sh}h| [{kh}h{sh}{kh}h{kh}{sh}h|]2 {kh}h{sh}{kh}sS{kS}S|]4"
    " {kc}h{sh}{kh}h{kh}{sh}h| [{kh}h{sh}{kh}h{kh}{sh}h|]2 {kC}-------|"}}};

// 5: E minor, horns and timpani over restless strings: a march.
const Piece kLevel5{"The Long Watch", 136, 4,
  "Em Em C D Em Em Am B Em G C B Am Em C B Em C B Em",
  {{"Horns", 60, 110, 60, false,
    "o4 v100 e4. b8 b4 a4 | g4 f+8 e8 f+4 b4 | g4. e8 >c4< b4 | a2 f+2 |"
    " e4. b8 b4 >e4< | >d4 c8< b8 a4 g4 | a4. >c8 e4 d4< | >d+2< b2 |"
    " e4 g4 b4 >e4< | >d4 c4< b4 g4 | >c4< b4 a4 g4 | f+2 d+2 |"
    " a4 >c4 e4 c4< | b4 g4 e4 g4 | >c4< b4 a4 >c4< | b2 f+2 |"
    " >e4. d8 c4< b4 | >c4< a4 e4 a4 | b4 a4 f+4 d+4 | e2. r4 |"},
   {"Strings", 48, 85, 36, false, "", Style::Arp16, 58},
   {"Timpani", 47, 100, 80, false, "", Style::Timpani, 90},
   {"Bass", 43, 90, 64, false, "", Style::Bass4, 80},
   {"Kit", 0, 85, 64, true,
    "l16 v70 [{kc}---s-ssk---s-s-| [k---s-ssk---s-s-|]2 k-s-s-ssk-sssSSS|]4"
    " {kc}---s-ssk---s-s-| [k---s-ssk---s-s-|]2 {kC}---------------|"}}};

// 6: B minor, square lead and sixteenth synth bass: driving.
const Piece kLevel6{"Night Run", 144, 4,
  "Bm G D A Bm G Em F# Bm G D A Bm G Em F# Em Bm G F# Em G F# Bm",
  {{"Lead", 80, 90, 64, false,
    "o5 v96 b4 f+8 b8 >d4< c+8 b8 | d4 g8 b8 a4 g4 | f+4 a8 >d8< c+4 a4 | e2 c+2 |"
    " b4 f+8 b8 >d4 e4< | >f+4 e8 d8< b4 g4 | e4 g4 b4 >e4< | >c+2< a+2 |"
    " b8 b8 f+8 b8 >d8 d8 c+8< b8 | d8 d8 g8 b8 a8 a8 g8 f+8 |"
    " f+8 f+8 a8 >d8 c+8 c+8< a8 f+8 | e4 a4 c+4 e4 |"
    " b8 b8 f+8 b8 >d8 d8 e8 f+8< | >g4 f+8 e8 d4< b4 | e8 g8 b8 >e8 d8 c+8< b8 a+8 | b4 a+4 f+2 |"
    " g2 e2 | f+2 d2 | g4 b4 >d4 g4< | >f+2 c+2< | >e4 d4 c+4< b4 | >d4 c+4< b4 a4 |"
    " a+4 c+4 f+4 a+4 | b2. r4 |"},
   {"Poly", 90, 75, 40, false, "", Style::Pad, 60},
   {"Bass", 39, 100, 64, false, "", Style::Bass16, 82},
   {"Kit", 0, 95, 64, true,
    "l16 v74 [{kc}hhh{sh}h{kh}h{kh}hhh{sh}hhh| [{kh}hhh{sh}h{kh}h{kh}hhh{sh}hhh|]6 ssssmmmmttttffff|]2"
    " {kc}hhh{sh}h{kh}h{kh}hhh{sh}hhh| [{kh}hhh{sh}h{kh}h{kh}hhh{sh}hhh|]6 {kC}---------------|"}}};

// 7: F# minor, power chords and a heavy kick: the fight is on.
const Piece kLevel7{"Iron Rain", 152, 4,
  "F#m G F#m E F#m D E C# F#m G F#m E F#m D E C# Bm F#m Bm C# D E C# C#",
  {{"Lead", 30, 95, 70, false,
    "o5 v100 f+4 f+8 a8 f+4 c+4 | g4 g8 b8 g4 d4 | f+8 a8 >c+8< a8 f+4 e4 | e8 g+8 b8 g+8 e4 b4 |"
    " f+4 f+8 a8 >c+4< a4 | f+8 a8 >d8 f+8 e4 d4< | >c+4< b4 g+4 e4 | f4 g+4 >c+2< |"
    " f+8 f+8 r8 f+8 a8 f+8 >c+4< | b8 b8 r8 b8 >d8< b8 g4 | a8 a8 r8 a8 >c+8< a8 f+4 |"
    " g+8 g+8 r8 g+8 b8 g+8 e4 | >c+4 c+8< b8 a4 f+4 | a4 a8 g8 f+4 d4 |"
    " e8 f+8 g+8 a8 b8 >c+8 d8 e8< | f2 g+2 |"
    " b4 >d4 f+4 d4< | >c+4< a4 f+4 c+4 | d4 f+4 b4 >d4< | >c+4< g+4 f4 g+4 |"
    " a4 >d4 f+4 d4< | b4 >e4 g+4 e4< | f4 g+4 >c+4 f4< | >c+2.< r4 |"},
   {"Guitar", 29, 85, 40, false, "", Style::Power8, 80},
   {"Bass", 34, 100, 64, false, "", Style::Bass8, 88},
   {"Kit", 0, 100, 64, true,
    "l8 v80 [{kc}k{si}k{ki}k{si}k| [{ki}k{si}k{ki}k{si}k|]2 {ki}k{si}k{sm}{sm}{st}{st}|]5"
    " {kc}k{si}k{ki}k{si}k| [{ki}k{si}k{ki}k{si}k|]2 {kC}-------|"}}};

// 8: C minor, the last stand: brass, choir, timpani, double kick.
const Piece kLevel8{"Last Orbit", 160, 4,
  "Cm Ab Fm G Cm Ab Bb G Cm Ab Fm G Cm Fm G G Ab Bb Gm Cm Ab Bb G G Cm Fm G Cm",
  {{"Brass", 61, 110, 64, false,
    "o5 v104 c4 e-4 g4 >c4< | >c4.< b-8 a-4 e-4 | f4 a-4 >c4< f4 | g4 b4 >d4< b4 |"
    " >c4 d4 e-4 c4< | >e-4. d8 c4< a-4 | b-4 >d4 f4 d4< | b2 g2 |"
    " g8 g8 >c8 c8 e-8 e-8 c8< g8 | a-8 a-8 >c8 c8 e-8 e-8 c8< a-8 | f8 f8 a-8 a-8 >c8 c8< a-8 f8 |"
    " g8 b8 >d8 f8 d8< b8 g8 b8 | >c4< g4 e-4 g4 | a-4 >c4 f4 c4< | b4 >d4< g4 b4 | >d2< b2 |"
    " >c4. d8 e-4 c4< | b-4. >d8 f4 d4< | >d4.< b-8 g4 d4 | e-4 g4 >c2< |"
    " >e-4. f8 e-4 c4< | >d4. e-8 d4< b-4 | b4 >d4 f4 d4< | b2. r4 |"
    " >c4 e-4 g4 e-4< | >f4 e-4 d4 c4< | b4 >d4< g4 b4 | >c2.< r4 |"},
   {"Choir", 52, 85, 40, false, "", Style::Pad, 64},
   {"Strings", 44, 80, 90, false, "", Style::Arp16, 60},
   {"Timpani", 47, 100, 70, false, "", Style::Timpani, 92},
   {"Bass", 33, 95, 64, false, "", Style::Bass8, 86},
   {"Kit", 0, 100, 64, true,
    "l16 v66 [{kc}k{kh}k{sh}k{kh}k{kh}k{kh}k{sh}k{kh}k| [{kh}k{kh}k{sh}k{kh}k{kh}k{kh}k{sh}k{kh}k|]2"
    " {sk}s{sk}s{sk}s{sk}s{mk}m{mk}m{tk}t{fk}{fk}|]6"
    " {kc}k{kh}k{sh}k{kh}k{kh}k{kh}k{sh}k{kh}k| [{kh}k{kh}k{sh}k{kh}k{kh}k{kh}k{sh}k{kh}k|]2 {kC}---------------|"}}};

struct Message {
  int64_t tick;
  int order;  // at the same tick: controls first, note-offs before note-ons
  std::vector<unsigned char> bytes;
};

void Add(smf_track_t* track, int64_t tick, const std::vector<unsigned char>& bytes) {
  smf_event_t* ev = smf_event_new_from_pointer(const_cast<unsigned char*>(bytes.data()), int(bytes.size()));
  if (!ev) throw std::runtime_error("cannot make a MIDI event");
  smf_track_add_event_pulses(track, ev, int(tick));
}

// A text meta event; the names here are short enough for a one-byte length.
std::vector<unsigned char> Text(unsigned char type, const std::string& s) {
  if (s.size() > 127) throw std::runtime_error("text too long: " + s);
  std::vector<unsigned char> b(s.size() + 3);
  b[0] = 0xFF;
  b[1] = type;
  b[2] = static_cast<unsigned char>(s.size());
  for (size_t i = 0; i < s.size(); ++i) b[i + 3] = static_cast<unsigned char>(s[i]);
  return b;
}

void Write(const Piece& piece, const std::string& path) {
  const auto chart = ParseChart(piece.chart, piece.beatsPerBar);
  const int64_t length = chart.back().start + chart.back().length;
  // The last chord rings for a beat before the piece ends.
  const int64_t end = length + kPpqn;

  smf_t* smf = smf_new();
  if (!smf || smf_set_ppqn(smf, kPpqn) != 0) throw std::runtime_error("cannot start a MIDI file");

  smf_track_t* conductor = smf_track_new();
  smf_add_track(smf, conductor);
  const int tempo = 60000000 / piece.bpm;
  Add(conductor, 0, Text(0x03, piece.title));
  Add(conductor, 0, {0xFF, 0x58, 0x04, static_cast<unsigned char>(piece.beatsPerBar), 2, 24, 8});
  Add(conductor, 0, {0xFF, 0x51, 0x03, static_cast<unsigned char>(tempo >> 16),
                     static_cast<unsigned char>(tempo >> 8), static_cast<unsigned char>(tempo)});
  if (smf_track_add_eot_pulses(conductor, int(end)) != 0) throw std::runtime_error("end of track");

  int nextChannel = 0;
  for (const Part& part : piece.parts) {
    Line line;
    try {
      line = *part.line ? ParseLine(part.line, piece.beatsPerBar, part.drums)
                        : Arrange(chart, part.style, part.velocity);
    } catch (const std::exception& e) {
      throw std::runtime_error(std::string(piece.title) + ", " + part.name + ": " + e.what());
    }
    if (line.length != length)
      throw std::runtime_error(std::string(piece.title) + ", " + part.name + " lasts " + std::to_string(line.length) +
                               " ticks, the chart " + std::to_string(length));
    if (nextChannel == 9) ++nextChannel;
    const unsigned char ch = part.drums ? 9 : static_cast<unsigned char>(nextChannel++);

    std::vector<Message> msgs;
    msgs.push_back({0, 0, Text(0x03, part.name)});
    if (!part.drums) msgs.push_back({0, 0, {static_cast<unsigned char>(0xC0 | ch), static_cast<unsigned char>(part.program)}});
    msgs.push_back({0, 0, {static_cast<unsigned char>(0xB0 | ch), 7, static_cast<unsigned char>(part.volume)}});
    msgs.push_back({0, 0, {static_cast<unsigned char>(0xB0 | ch), 10, static_cast<unsigned char>(part.pan)}});
    msgs.push_back({0, 0, {static_cast<unsigned char>(0xB0 | ch), 91, 40}});
    for (const auto& n : line.notes) {
      msgs.push_back({n.start, 2, {static_cast<unsigned char>(0x90 | ch), static_cast<unsigned char>(n.key),
                                   static_cast<unsigned char>(n.velocity)}});
      msgs.push_back({n.start + n.length, 1, {static_cast<unsigned char>(0x80 | ch), static_cast<unsigned char>(n.key), 0}});
    }
    std::stable_sort(msgs.begin(), msgs.end(), [](const Message& a, const Message& b) {
      return a.tick != b.tick ? a.tick < b.tick : a.order < b.order;
    });
    smf_track_t* track = smf_track_new();
    smf_add_track(smf, track);
    for (const auto& m : msgs) Add(track, m.tick, m.bytes);
    if (smf_track_add_eot_pulses(track, int(end)) != 0) throw std::runtime_error("end of track");
  }
  AtomicFile out(path);
  if (smf_set_format(smf, 1) != 0 || smf_save(smf, out.WritePath().c_str()) != 0 || out.Commit() != 0) {
    smf_delete(smf);
    throw std::runtime_error("cannot write " + path);
  }
  const double seconds = smf_get_length_seconds(smf);
  smf_delete(smf);
  // The game wants a tune of its own per level, neither a jingle nor a long suite.
  if (seconds < 20.0 || seconds > 60.0)
    throw std::runtime_error(path + " lasts " + std::to_string(seconds) + " s, outside 20 to 60 s");
}

}  // namespace
}  // namespace tv

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s <output directory>\n", argv[0]);
    return 2;
  }
  using namespace tv;
  const Piece* pieces[] = {&kMenu, &kLevel1, &kLevel2, &kLevel3, &kLevel4,
                           &kLevel5, &kLevel6, &kLevel7, &kLevel8};
  try {
    for (int n = 0; n < 9; ++n) Write(*pieces[n], std::string(argv[1]) + "/" + std::to_string(n) + ".mid");
  } catch (const std::exception& e) {
    std::fprintf(stderr, "make_music: %s\n", e.what());
    return 1;
  }
  return 0;
}
