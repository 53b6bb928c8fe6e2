#pragma once
#include <SDL.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "platform/toolkit/pad_keys.h"

namespace tv {

class DeviceWatch;

// Game controllers on SDL: opening and closing them, reading them on the
// loop's own wake-ups, their buttons and axes told to PadKeys, which makes
// them the keyboard's keys.
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

  // Turns a controller's event into its keys, or watches where the keyboard
  // is; true when `e` was a joystick's. `boxOpen`: a message box is open.
  bool Translate(const SDL_Event& e, Uint32 mainWindowId, bool boxOpen);
  // The backend gives the keyboard to its window `windowId` (PadKeys::HandOver).
  void HandOver(Uint32 windowId);
  // Reads the pads when a read is due, then gives the next key, for the game
  // or the box, a repeat of a held key included; false when there is none.
  bool Next(PadKeys::Key& out);

 private:
  struct Pad {
    SDL_GameController* controller;
    SDL_JoystickID id;
  };

  void Update();
  void Open(int deviceIndex);
  void Close(SDL_JoystickID id);
  bool Known(SDL_JoystickID id) const;
  void SayIfUnknown(int deviceIndex);

  bool started_ = false;
  bool initialised_ = false;
  std::vector<Pad> pads_;
  PadKeys keys_;
  std::unique_ptr<DeviceWatch> watch_;  // wakes the loop when a device comes or goes
  std::atomic<bool> devicesChanged_{true};  // ... and says so; true for the first read
  uint64_t nextRead_ = 0;
  std::set<std::string> unknownSaid_;  // the GUIDs of joysticks said to be no known controller
};

}  // namespace tv
