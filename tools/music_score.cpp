#include "tools/music_score.h"

#include <algorithm>
#include <cctype>
#include <stdexcept>
#include <string>

namespace tv {

namespace {

constexpr int kWhole = 4 * kPpqn;

[[noreturn]] void Fail(size_t at, const std::string& what) {
  throw std::runtime_error("at offset " + std::to_string(at) + ": " + what);
}

int DrumKey(char c) {
  switch (std::tolower(static_cast<unsigned char>(c))) {
    case 'k': return 36;
    case 's': return 38;
    case 'x': return 39;
    case 'f': return 41;
    case 'h': return 42;
    case 't': return 45;
    case 'o': return 46;
    case 'm': return 48;
    case 'c': return 49;
    case 'i': return 51;
    default: return -1;
  }
}

int Semitone(char c) {
  static constexpr int kSteps[] = {9, 11, 0, 2, 4, 5, 7};  // a b c d e f g
  return kSteps[c - 'a'];
}

class LineParser {
 public:
  LineParser(std::string_view text, int beatsPerBar, bool drums)
      : text_(text), barTicks_(int64_t(beatsPerBar) * kPpqn), drums_(drums) {}

  Line Run() {
    size_t i = 0;
    Sequence(i, false);
    line_.length = pos_;
    return std::move(line_);
  }

 private:
  bool More(size_t i) const { return i < text_.size(); }
  char At(size_t i) const { return More(i) ? text_[i] : '\0'; }

  int Number(size_t& i) {
    if (!std::isdigit(static_cast<unsigned char>(At(i)))) Fail(i, "a number was expected");
    int n = 0;
    while (std::isdigit(static_cast<unsigned char>(At(i)))) {
      n = n * 10 + (At(i++) - '0');
      if (n > 100000) Fail(i, "number too large");
    }
    return n;
  }

  // A length in ticks: an optional divisor and dots; the default when absent.
  int64_t Length(size_t& i, int64_t fallback) {
    int64_t ticks = fallback;
    if (std::isdigit(static_cast<unsigned char>(At(i)))) {
      int n = Number(i);
      if (n == 0 || kWhole % n != 0) Fail(i, "length " + std::to_string(n) + " does not divide a whole note");
      ticks = kWhole / n;
    }
    int64_t add = ticks;
    while (At(i) == '.') {
      ++i;
      add /= 2;
      ticks += add;
    }
    return ticks;
  }

  int Pitch(size_t& i, int octave) {
    int key = 12 * (octave + 1) + Semitone(At(i++));
    for (;;) {
      if (At(i) == '+' || At(i) == '#') key += 1;
      else if (At(i) == '-') key -= 1;
      else break;
      ++i;
    }
    if (key < 0 || key > 127) Fail(i, "note out of range");
    return key;
  }

  void Emit(const std::vector<int>& keys, int64_t length, int velocity) {
    for (int k : keys) line_.notes.push_back(Note{pos_, length, k, std::clamp(velocity, 1, 127)});
    pos_ += length;
  }

  void Group(size_t& i) {
    const size_t open = i++;
    std::vector<int> keys;
    int octave = octave_;
    bool accent = false;
    while (At(i) != '}') {
      if (!More(i)) Fail(open, "unclosed {");
      char c = At(i);
      if (std::isspace(static_cast<unsigned char>(c))) {
        ++i;
      } else if (c == '<') {
        --octave, ++i;
      } else if (c == '>') {
        ++octave, ++i;
      } else if (drums_ && DrumKey(c) >= 0) {
        accent |= std::isupper(static_cast<unsigned char>(c)) != 0;
        keys.push_back(DrumKey(c));
        ++i;
      } else if (!drums_ && c >= 'a' && c <= 'g') {
        keys.push_back(Pitch(i, octave));
      } else {
        Fail(i, std::string("unexpected '") + c + "' in {}");
      }
    }
    ++i;
    std::sort(keys.begin(), keys.end());
    keys.erase(std::unique(keys.begin(), keys.end()), keys.end());
    const int64_t length = drums_ ? step_ : Length(i, step_);
    Emit(keys, length, velocity_ + (accent ? 30 : 0));
  }

  // Parses until the end of the text, or the ']' that closes a repeat.
  void Sequence(size_t& i, bool inRepeat) {
    while (More(i)) {
      const char c = At(i);
      if (std::isspace(static_cast<unsigned char>(c))) {
        ++i;
      } else if (c == '|') {
        if (pos_ % barTicks_ != 0) Fail(i, "bar line at tick " + std::to_string(pos_) + ", inside a bar");
        ++i;
      } else if (c == ']') {
        if (!inRepeat) Fail(i, "] without [");
        return;
      } else if (c == '[') {
        const size_t body = i + 1;
        size_t end = body;
        for (int depth = 1; depth > 0; ++end) {
          if (!More(end)) Fail(i, "unclosed [");
          depth += At(end) == '[' ? 1 : At(end) == ']' ? -1 : 0;
        }
        size_t after = end;  // just past the matching ']'
        const int times = Number(after);
        for (int n = 0; n < times; ++n) {
          size_t p = body;
          Sequence(p, true);
        }
        i = after;
      } else if (c == 'o') {
        ++i;
        octave_ = Number(i);
      } else if (c == '<') {
        --octave_, ++i;
      } else if (c == '>') {
        ++octave_, ++i;
      } else if (c == 'l') {
        ++i;
        step_ = Length(i, step_);
      } else if (c == 'v') {
        ++i;
        velocity_ = Number(i);
      } else if (c == '{') {
        Group(i);
      } else if (drums_ && c == '-') {
        ++i;
        pos_ += step_;
      } else if (drums_ && DrumKey(c) >= 0) {
        ++i;
        Emit({DrumKey(c)}, step_, velocity_ + (std::isupper(static_cast<unsigned char>(c)) ? 30 : 0));
      } else if (!drums_ && c == 'r') {
        ++i;
        pos_ += Length(i, step_);
      } else if (!drums_ && c >= 'a' && c <= 'g') {
        const int key = Pitch(i, octave_);
        int64_t length = Length(i, step_);
        while (At(i) == '&') {
          ++i;
          length += Length(i, step_);
        }
        Emit({key}, length, velocity_);
      } else {
        Fail(i, std::string("unexpected '") + c + "'");
      }
    }
    if (inRepeat) Fail(i, "unclosed [");
  }

  std::string_view text_;
  int64_t barTicks_;
  bool drums_;
  Line line_;
  int64_t pos_ = 0;
  int octave_ = 4;
  int64_t step_ = kPpqn;
  int velocity_ = 90;
};

std::vector<int> Quality(std::string_view q, size_t at) {
  if (q.empty()) return {0, 4, 7};
  if (q == "m") return {0, 3, 7};
  if (q == "7") return {0, 4, 7, 10};
  if (q == "m7") return {0, 3, 7, 10};
  if (q == "maj7") return {0, 4, 7, 11};
  if (q == "dim") return {0, 3, 6};
  if (q == "sus4") return {0, 5, 7};
  if (q == "5") return {0, 7};
  Fail(at, "unknown chord quality '" + std::string(q) + "'");
}

// The lowest key of pitch class `pc` at or above `floor`.
int Above(int floor, int pc) { return floor + ((pc - floor) % 12 + 12) % 12; }

}  // namespace

Line ParseLine(std::string_view text, int beatsPerBar, bool drums) {
  return LineParser(text, beatsPerBar, drums).Run();
}

std::vector<Chord> ParseChart(std::string_view text, int beatsPerBar) {
  const int64_t bar = int64_t(beatsPerBar) * kPpqn;
  std::vector<Chord> chart;
  int64_t barStart = 0;
  size_t i = 0;
  while (i < text.size()) {
    if (std::isspace(static_cast<unsigned char>(text[i]))) {
      ++i;
      continue;
    }
    size_t end = i;
    while (end < text.size() && !std::isspace(static_cast<unsigned char>(text[end]))) ++end;
    std::string_view word = text.substr(i, end - i);
    const int parts = int(std::count(word.begin(), word.end(), ',')) + 1;
    if (bar % parts != 0) Fail(i, "bar cannot be split in " + std::to_string(parts));
    size_t at = i;
    for (int n = 0; n < parts; ++n) {
      const size_t comma = word.find(',');
      std::string_view sym = word.substr(0, comma);
      if (sym.empty() || sym[0] < 'A' || sym[0] > 'G') Fail(at, "chord root expected");
      Chord ch;
      ch.root = Semitone(char(sym[0] - 'A' + 'a'));
      size_t q = 1;
      if (q < sym.size() && sym[q] == '#') ch.root += 1, ++q;
      else if (q < sym.size() && sym[q] == 'b') ch.root += 11, ++q;
      ch.root %= 12;
      ch.intervals = Quality(sym.substr(q), at);
      ch.start = barStart + n * (bar / parts);
      ch.length = bar / parts;
      chart.push_back(std::move(ch));
      if (comma == std::string_view::npos) break;
      word.remove_prefix(comma + 1);
      at += comma + 1;
    }
    barStart += bar;
    i = end;
  }
  return chart;
}

Line Arrange(const std::vector<Chord>& chart, Style style, int velocity) {
  Line line;
  auto add = [&](int64_t start, int64_t length, int key, int vel) {
    line.notes.push_back(Note{start, length, key, std::clamp(vel, 1, 127)});
  };
  for (size_t n = 0; n < chart.size(); ++n) {
    const Chord& ch = chart[n];
    const bool last = n + 1 == chart.size();
    const int bassRoot = Above(28, ch.root);   // E1 up to D#2
    const int lowRoot = Above(40, ch.root);    // E2 up to D#3
    const int midRoot = Above(55, ch.root);    // G3 up to F#4
    std::vector<int> tones;
    for (int iv : ch.intervals) tones.push_back(midRoot + iv);
    const bool bass = style == Style::Bass1 || style == Style::Bass4 || style == Style::Bass8 ||
                      style == Style::Bass16;

    if (last || style == Style::Pad || style == Style::Bass1) {
      if (bass) {
        add(ch.start, ch.length, bassRoot, velocity);
      } else if (style == Style::Power8 || style == Style::Timpani) {
        add(ch.start, ch.length, lowRoot, velocity + 10);
        if (style == Style::Power8) add(ch.start, ch.length, lowRoot + 7, velocity + 10);
      } else {
        for (int k : tones) add(ch.start, ch.length, k, velocity);
      }
      continue;
    }

    switch (style) {
      case Style::Arp8:
      case Style::Arp16: {
        std::vector<int> up = tones;
        up.push_back(midRoot + 12);
        std::vector<int> cycle = up;  // up, then back down without repeating the ends
        for (size_t k = up.size() - 2; k >= 1; --k) cycle.push_back(up[k]);
        const int64_t step = style == Style::Arp8 ? kPpqn / 2 : kPpqn / 4;
        size_t k = 0;
        for (int64_t t = 0; t < ch.length; t += step) add(ch.start + t, step, cycle[k++ % cycle.size()], velocity);
        break;
      }
      case Style::Power8:
        for (int64_t t = 0; t < ch.length; t += kPpqn / 2) {
          const int vel = velocity + (t % kPpqn == 0 ? 12 : 0);
          for (int k : {lowRoot, lowRoot + 7, lowRoot + 12}) add(ch.start + t, kPpqn / 2 - 40, k, vel);
        }
        break;
      case Style::Bass4: {
        int beat = 0;
        for (int64_t t = 0; t < ch.length; t += kPpqn, ++beat) {
          const int key = beat % 4 == 2 || (ch.length == 3 * kPpqn && beat > 0) ? bassRoot + 7 : bassRoot;
          add(ch.start + t, kPpqn - 30, key, velocity + (beat == 0 ? 10 : 0));
        }
        break;
      }
      case Style::Bass8:
        for (int64_t t = 0; t < ch.length; t += kPpqn / 2)
          add(ch.start + t, kPpqn / 2 - 30, bassRoot, velocity + (t % kPpqn == 0 ? 10 : 0));
        break;
      case Style::Bass16: {
        int k = 0;
        for (int64_t t = 0; t < ch.length; t += kPpqn / 4, ++k)
          add(ch.start + t, kPpqn / 4 - 15, k % 4 == 2 ? bassRoot + 12 : bassRoot, velocity + (k % 4 == 0 ? 12 : 0));
        break;
      }
      case Style::Timpani:
        for (int64_t t = 0; t < ch.length; t += 2 * kPpqn) add(ch.start + t, kPpqn, lowRoot, velocity + (t == 0 ? 15 : 0));
        break;
      default:
        break;
    }
  }
  if (!chart.empty()) line.length = chart.back().start + chart.back().length;
  return line;
}

}  // namespace tv
