#pragma once
#include <SDL.h>

#include <array>
#include <atomic>
#include <bitset>
#include <cstdint>
#include <deque>
#include <memory>
#include <vector>

#include "platform/base/event.h"

namespace tv {

class DeviceWatch;

// Game controllers, as the keyboard's keys: the D-pad and the left stick are
// the arrows, A is Space, X is the A key, B and Back are Escape, Start is
// Enter. The game, its journal and a replay see nothing but those keys. A held
// direction or A repeats as a held key does. A press while a message box is
// open belongs to the box, and its release never reaches the game; presses held
// when the main window loses the keyboard are let go without a release, as
// the keyboard's own keys are.
class Pads {
 public:
  Pads();
  ~Pads();
  Pads(const Pads&) = delete;
  Pads& operator=(const Pads&) = delete;

  // Starts SDL's controller support, once; called when the loop first goes
  // idle (the first picture is then on the screen), so that start-up never
  // waits for it.
  void Start();
  // Closes every pad and the subsystem; before the video subsystem goes.
  void Stop();

  // How long the loop may wait, at most `waitMs` (negative: without limit),
  // before the pads are read again or a held key repeats.
  int64_t Limit(int64_t waitMs) const;

  // Takes a controller event, or watches the main window's focus; true when
  // `e` was a controller's, for the box on top if one is open (`boxOpen`).
  bool Take(const SDL_Event& e, Uint32 mainWindowId, bool boxOpen);
  // Reads the pads when a read is due, then gives the next key event for the
  // game, a repeat of a held key included; false when there is none.
  bool Next(Event& out);

 private:
  // What a pad holds: each a key of the game; two may be the same key.
  enum Source { kDpadUp, kDpadDown, kDpadLeft, kDpadRight, kStickUp, kStickDown, kStickLeft, kStickRight,
                kSouth, kWest, kEast, kBack, kStart, kSources };
  struct Pad {
    SDL_GameController* controller;
    SDL_JoystickID id;
    std::bitset<kSources> held;
  };

  void Update();
  void Open(int deviceIndex);
  void Close(SDL_JoystickID id);
  Pad* Find(SDL_JoystickID id);
  void Stick(Pad& pad, Source negative, Source positive, int value, bool boxOpen);
  void Hold(Pad& pad, Source source, bool down, bool boxOpen);

  bool started_ = false;
  bool initialised_ = false;
  std::vector<Pad> pads_;
  std::array<uint8_t, 256> holders_{};  // per key: the sources holding it down, on every pad
  std::bitset<256> forGame_;            // per key: its press went to the game, which awaits the release
  std::deque<Event> queue_;
  std::unique_ptr<DeviceWatch> watch_;  // wakes the loop when a device comes or goes
  std::atomic<bool> devicesChanged_{true};  // ... and says so; true for the first read
  uint16_t repeatKey_ = 0;  // the key that repeats: the last one pressed, while still held
  uint64_t repeatDue_ = 0;
  uint64_t nextRead_ = 0;
};

}  // namespace tv
