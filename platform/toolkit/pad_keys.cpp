#include "platform/toolkit/pad_keys.h"

#include <algorithm>
#include <climits>

namespace tv {
namespace {

// The key each source stands for, in the order of PadKeys::Source.
constexpr uint16_t kKeyA = 'A';
constexpr std::array<uint16_t, 13> kKeys = {
    VK_UP,    VK_DOWN, VK_LEFT,   VK_RIGHT,              // the D-pad
    VK_SPACE, kKeyA,   VK_ESCAPE, VK_ESCAPE, VK_RETURN,  // South, West, East, Back, Start
    VK_UP,    VK_DOWN, VK_LEFT,   VK_RIGHT};             // the stick

// A held direction or A repeats as a held key does: first after half a second, then 30 times a second.
constexpr uint64_t kRepeatDelayMs = 500;
constexpr uint64_t kRepeatMs = 33;
// The stick is an arrow held past half its travel, and lets go only once back
// under 30 %: a stick resting near the edge does not flicker between the two.
constexpr int kStickOn = 16384;
constexpr int kStickOff = 9830;
// The keyboard passes between the program's windows within a few X round trips
// and, under a window manager, its answer; a second is ample, and short enough
// that a box the window manager kept from the keyboard does not leave the pads
// heard for long after the player has gone to another program.
constexpr uint64_t kHandOverMs = 1000;

// The arrows step the aim once a press; Space's repeats start a charge held
// over from the computer's turn (Input.ASpaceHeldFromTheComputersTurnCharges...).
// Esc, Enter and the A key would only do their work again.
bool Repeats(uint16_t key) {
  return key == VK_UP || key == VK_DOWN || key == VK_LEFT || key == VK_RIGHT || key == VK_SPACE;
}

}  // namespace

int64_t WaitAtMost(int64_t waitMs, uint64_t nowMs, uint64_t atMs) {
  const int64_t until = atMs <= nowMs ? 0 : int64_t(std::min<uint64_t>(atMs - nowMs, INT_MAX));
  return waitMs < 0 ? until : std::min(waitMs, until);
}

void PadKeys::Report(int pad, PadInput input, int value, uint64_t nowMs, bool boxOpen) {
  Pad& p = Find(pad);
  const bool heard = Heard(nowMs);
  if (input == PadInput::StickX) Stick(p, kStickLeft, kStickRight, value, nowMs, boxOpen, heard);
  else if (input == PadInput::StickY) Stick(p, kStickUp, kStickDown, value, nowMs, boxOpen, heard);
  else Hold(p, Source(input), value != 0, nowMs, boxOpen, heard);
}

void PadKeys::Remove(int pad) {
  auto it = std::find_if(pads_.begin(), pads_.end(), [&](const Pad& p) { return p.id == pad; });
  if (it == pads_.end()) return;
  // A pad lets go of its buttons and stick as it goes; whatever is still
  // held then is let go here, or a charge would never fire.
  for (int s = 0; s < kSources; ++s) Hold(*it, Source(s), false, 0, false, true);
  pads_.erase(it);
}

void PadKeys::FocusLost() {
  forGame_.reset();
  repeatKey_ = 0;
}

void PadKeys::KeyboardAt(uint32_t window) {
  keyboard_ = window;
  if (window && window == handOverTo_) handOverTo_ = 0;
}

// A box opened and closed at once hands the keyboard on twice before it has
// moved at all: the last hand-over is the one that counts.
void PadKeys::HandOver(uint32_t window, uint64_t nowMs) {
  if (!Heard(nowMs)) return;
  handOverTo_ = window;
  handOverEnd_ = nowMs + kHandOverMs;
}

bool PadKeys::Next(uint64_t nowMs, Key& out) {
  if (!queue_.empty()) {
    out = queue_.front();
    queue_.pop_front();
    return true;
  }
  if (!repeatKey_ || nowMs < repeatDue_) return false;
  // From now on, not from when it was due: a late loop gets one repeat, not a burst.
  repeatDue_ = nowMs + kRepeatMs;
  out = Key{Event::Key(Event::Type::KeyDown, repeatKey_), false};
  return true;
}

int64_t PadKeys::Limit(int64_t waitMs, uint64_t nowMs) const {
  return repeatKey_ ? WaitAtMost(waitMs, nowMs, repeatDue_) : waitMs;
}

PadKeys::Pad& PadKeys::Find(int id) {
  for (Pad& pad : pads_)
    if (pad.id == id) return pad;
  return pads_.emplace_back(Pad{id, {}});
}

bool PadKeys::Heard(uint64_t nowMs) const { return keyboard_ || (handOverTo_ && nowMs < handOverEnd_); }

void PadKeys::Stick(Pad& pad, Source negative, Source positive, int value, uint64_t nowMs, bool boxOpen,
                    bool heard) {
  const bool toNegative = -value >= (pad.held[negative] ? kStickOff : kStickOn);
  const bool toPositive = value >= (pad.held[positive] ? kStickOff : kStickOn);
  // Releases first: a stick flicked across in one report ends on the other side alone.
  if (!toNegative) Hold(pad, negative, false, nowMs, boxOpen, heard);
  if (!toPositive) Hold(pad, positive, false, nowMs, boxOpen, heard);
  if (toNegative) Hold(pad, negative, true, nowMs, boxOpen, heard);
  if (toPositive) Hold(pad, positive, true, nowMs, boxOpen, heard);
}

// A key goes down with the first source to hold it, on any pad, and up with
// the last to let go. A press made over a message box is the box's: the game
// sees neither it nor its release. The box hears every press and release of
// every pad while it is open, as it would each pad's own button. A press not
// `heard` (made in another program) is not held either: back in the game, a
// button counts once pressed again, a stick at its next move.
void PadKeys::Hold(Pad& pad, Source source, bool down, uint64_t nowMs, bool boxOpen, bool heard) {
  static_assert(kKeys.size() == kSources);
  if (pad.held[source] == down || (down && !heard)) return;
  pad.held[source] = down;
  const uint16_t key = kKeys[source];
  const Event::Type type = down ? Event::Type::KeyDown : Event::Type::KeyUp;
  if (boxOpen) queue_.push_back(Key{Event::Key(type, key), true});
  if (down) {
    if (holders_[key]++ || boxOpen) return;
    forGame_[key] = true;
    queue_.push_back(Key{Event::Key(type, key), false});
    if (Repeats(key)) {
      repeatKey_ = key;
      repeatDue_ = nowMs + kRepeatDelayMs;
    }
    return;
  }
  if (--holders_[key]) return;
  if (key == repeatKey_) repeatKey_ = 0;
  if (!forGame_[key]) return;
  forGame_[key] = false;
  queue_.push_back(Key{Event::Key(type, key), false});
}

}  // namespace tv
