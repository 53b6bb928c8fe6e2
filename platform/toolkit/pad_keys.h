#pragma once
#include <array>
#include <bitset>
#include <cstdint>
#include <deque>
#include <vector>

#include "platform/base/event.h"

namespace tv {

// What of a game controller plays: the D-pad, the four face buttons by where
// they sit (South is A on most pads, West X, East B), Back, Start, and the
// left stick's two axes.
enum class PadInput { DpadUp, DpadDown, DpadLeft, DpadRight, South, West, East, Back, Start, StickX, StickY };

// Game controllers, as the keyboard's keys: the D-pad and the left stick are
// the arrows, A is Space, X is the A key, B and Back are Escape, Start is
// Enter. The game, its journal and a replay see nothing but those keys. A held
// direction or A repeats as a held key does. A press while a message box is
// open belongs to the box, and its release never reaches the game; presses held
// when the main window loses the keyboard are let go without a release, as
// the keyboard's own keys are. A press counts while one of the program's
// windows has the keyboard, or while the program hands it from one of them to
// another; not while the player is in another program, where releases still
// let go. A backend reports what its pads do and where the keyboard is, with
// the time by its clock, and takes the keys back.
class PadKeys {
 public:
  // A key pressed or let go: for the game, or for the message box on top.
  struct Key {
    Event event;  // KeyDown or KeyUp
    bool forBox = false;
  };

  // Pad `pad` (a number naming it while it is plugged in) set `input` to
  // `value` at `nowMs`: a button 1 (down) or 0, an axis from -32768 (up, left)
  // to 32767. `boxOpen`: a message box is open, and the press is its.
  void Report(int pad, PadInput input, int value, uint64_t nowMs, bool boxOpen);
  // The pad was pulled out: what it held is let go.
  void Remove(int pad);
  // The main window lost the keyboard: the game's keys are let go without a
  // release, and stay silent until pressed again.
  void FocusLost();
  // The program's window `window` (a number the backend gives each, not 0)
  // now has the keyboard; 0: none of them has it, as at first.
  void KeyboardAt(uint32_t window);
  // The program gives the keyboard to its window `window` (a box it opened,
  // or the window under a box it closed): presses count on the way, until
  // that window has it, or for a second at most should a window manager keep
  // it elsewhere. Nothing is handed on while presses do not count.
  void HandOver(uint32_t window, uint64_t nowMs);

  // The next key, a held key's repeat due by `nowMs` included; false when there is none.
  bool Next(uint64_t nowMs, Key& out);
  // How long from `nowMs` the loop may wait, at most `waitMs` (negative:
  // without limit), before a held key repeats.
  int64_t Limit(int64_t waitMs, uint64_t nowMs) const;

 private:
  // What a pad holds: each a key of the game; two may be the same key. The
  // buttons in the order of PadInput.
  enum Source { kDpadUp, kDpadDown, kDpadLeft, kDpadRight, kSouth, kWest, kEast, kBack, kStart, kStickUp,
                kStickDown, kStickLeft, kStickRight, kSources };
  struct Pad {
    int id;
    std::bitset<kSources> held;
  };

  Pad& Find(int id);
  bool Heard(uint64_t nowMs) const;
  void Stick(Pad& pad, Source negative, Source positive, int value, uint64_t nowMs, bool boxOpen, bool heard);
  void Hold(Pad& pad, Source source, bool down, uint64_t nowMs, bool boxOpen, bool heard);

  std::vector<Pad> pads_;
  std::array<uint8_t, 256> holders_{};  // per key: the sources holding it down, on every pad
  std::bitset<256> forGame_;            // per key: its press went to the game, which awaits the release
  std::deque<Key> queue_;
  uint16_t repeatKey_ = 0;  // the key that repeats: the last one pressed, while still held
  uint64_t repeatDue_ = 0;
  uint32_t keyboard_ = 0;    // the program's window that has the keyboard; 0: none
  uint32_t handOverTo_ = 0;  // the window the keyboard is on its way to; 0: none
  uint64_t handOverEnd_ = 0;
};

// The shorter of `waitMs` (negative: without limit) and the time from `nowMs` to `atMs`.
int64_t WaitAtMost(int64_t waitMs, uint64_t nowMs, uint64_t atMs);

}  // namespace tv
