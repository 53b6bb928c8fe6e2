#pragma once
#include <array>
#include <cstdint>
#include <functional>

#include "platform/files/windows_api.h"
#include "platform/toolkit/pad_keys.h"

#include <xinput.h>

namespace tv {

// Tells `keys` what pad `pad` changed between two of its states: the D-pad,
// A (South), X (West), B (East), Back, Start and the left stick, as SDL's
// controllers report them on Linux (the stick's Y down positive).
void TellPadChanges(PadKeys& keys, int pad, const XINPUT_GAMEPAD& before, const XINPUT_GAMEPAD& now,
                    uint64_t nowMs, bool boxOpen);

// XInput's four pads, read by the backend's loop. XInput is loaded at the first
// look for pads; without it there are none, said once on stderr. Without a pad
// connected, pads are looked for only at first and after Rescan (the window
// heard that a device came or went), and a few times in the two seconds after,
// since a pad answers XInput a little after its device arrives: an idle
// loop never reads the pads, and an empty slot, slow to ask, is asked only then.
class XInputPads {
 public:
  // Reads a slot's state as XInputGetState does.
  using Reader = std::function<DWORD(DWORD slot, XINPUT_STATE* state)>;

  XInputPads();
  explicit XInputPads(Reader reader);  // a test's pads
  ~XInputPads();
  XInputPads(const XInputPads&) = delete;
  XInputPads& operator=(const XInputPads&) = delete;

  // Reads the pads into `keys`; a pad gone is removed from it. True while a
  // pad is connected or a look for pads is still to come: the loop then
  // polls again within 8 ms.
  bool Poll(PadKeys& keys, uint64_t nowMs, bool boxOpen);
  // A device came or went: look for pads at the next poll, and a few times after.
  void Rescan();

 private:
  bool Load();

  Reader reader_;
  HMODULE library_ = nullptr;
  bool loadTried_ = false;
  std::array<bool, XUSER_MAX_COUNT> connected_{};
  std::array<XINPUT_GAMEPAD, XUSER_MAX_COUNT> last_{};
  bool rescan_ = true;     // look for pads at the next poll (at first too)
  bool later_ = false;     // ... and again a few times after: a device came
  int scansLeft_ = 0;      // looks still to come after a rescan's first
  uint64_t rescanAt_ = 0;  // when the rescan's first look was
};

}  // namespace tv
