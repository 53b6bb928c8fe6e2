#include <gtest/gtest.h>

#include <array>
#include <string>

#include "platform/win32/win32_pads.h"

namespace tv {
namespace {

// What the pads gave by `now`: "+38" the game's KeyDown of key 38, "-38" its KeyUp.
std::string Drain(PadKeys& keys, uint64_t now) {
  std::string out;
  PadKeys::Key k;
  while (keys.Next(now, k))
    out += std::string(out.empty() ? "" : " ") + (k.event.type == Event::Type::KeyDown ? "+" : "-") +
           std::to_string(k.event.key);
  return out;
}

// Each button and the stick as SDL's controllers give them on Linux: A Space,
// X the A key, B and Back Escape, Start Enter, the D-pad and the stick the
// arrows (XInput's stick up is the up arrow); Y, the shoulders and the right
// stick nothing.
TEST(XInputPads, ButtonsAndTheLeftStickAreTheLinuxControllersKeys) {
  const std::pair<XINPUT_GAMEPAD, const char*> cases[] = {
      {{XINPUT_GAMEPAD_A, 0, 0, 0, 0, 0, 0}, "+32 -32"},
      {{XINPUT_GAMEPAD_X, 0, 0, 0, 0, 0, 0}, "+65 -65"},
      {{XINPUT_GAMEPAD_B | XINPUT_GAMEPAD_BACK, 0, 0, 0, 0, 0, 0}, "+27 -27"},
      {{XINPUT_GAMEPAD_START, 0, 0, 0, 0, 0, 0}, "+13 -13"},
      {{XINPUT_GAMEPAD_DPAD_UP | XINPUT_GAMEPAD_DPAD_LEFT, 0, 0, 0, 0, 0, 0}, "+38 +37 -38 -37"},
      {{XINPUT_GAMEPAD_DPAD_DOWN | XINPUT_GAMEPAD_DPAD_RIGHT, 0, 0, 0, 0, 0, 0}, "+40 +39 -40 -39"},
      {{0, 0, 0, -32768, 32767, 0, 0}, "+37 +38 -37 -38"},
      {{0, 0, 0, 32767, -32768, 0, 0}, "+39 +40 -39 -40"},
      {{XINPUT_GAMEPAD_Y | XINPUT_GAMEPAD_LEFT_SHOULDER | XINPUT_GAMEPAD_RIGHT_THUMB, 255, 255, 0, 0, 32767,
        32767},
       ""},
  };
  for (const auto& [held, want] : cases) {
    PadKeys keys;
    keys.KeyboardAt(1);
    const XINPUT_GAMEPAD rest{};
    TellPadChanges(keys, 0, rest, held, 0, false);
    TellPadChanges(keys, 0, held, held, 10, false);  // nothing changed: nothing told
    TellPadChanges(keys, 0, held, rest, 20, false);
    EXPECT_EQ(Drain(keys, 20), want) << held.wButtons << " " << held.sThumbLX << " " << held.sThumbLY;
  }
}

// Without a pad the loop's polls read nothing, until a device comes: then
// every slot is looked at, and again 0.1, 0.5 and 2 s later; a connected
// pad alone is read every poll, and one gone lets go of what it held.
TEST(XInputPads, OnlyADeviceChangeLooksForPadsAndAPadGoneLetsGo) {
  std::array<bool, 4> plugged{};
  WORD buttons = 0;
  int reads = 0;
  XInputPads pads([&](DWORD slot, XINPUT_STATE* state) -> DWORD {
    ++reads;
    if (!plugged[slot]) return ERROR_DEVICE_NOT_CONNECTED;
    state->Gamepad.wButtons = buttons;
    return ERROR_SUCCESS;
  });
  PadKeys keys;
  keys.KeyboardAt(1);
  EXPECT_FALSE(pads.Poll(keys, 0, false));
  EXPECT_EQ(reads, 4) << "every slot once at first";
  plugged[2] = true;
  buttons = XINPUT_GAMEPAD_A;
  EXPECT_FALSE(pads.Poll(keys, 1000, false));
  EXPECT_EQ(reads, 4) << "an idle loop reads no pad";

  pads.Rescan();
  EXPECT_TRUE(pads.Poll(keys, 2000, false));
  EXPECT_EQ(reads, 8);
  EXPECT_EQ(Drain(keys, 2000), "+32") << "A held as the pad came is pressed";
  EXPECT_TRUE(pads.Poll(keys, 2008, false));
  EXPECT_EQ(reads, 9) << "the pad alone between looks";
  plugged[2] = false;
  EXPECT_TRUE(pads.Poll(keys, 2016, false)) << "the looks to come still want polls";
  EXPECT_EQ(Drain(keys, 2016), "-32");
  EXPECT_TRUE(pads.Poll(keys, 2099, false));
  EXPECT_EQ(reads, 10);
  EXPECT_TRUE(pads.Poll(keys, 2100, false));
  EXPECT_TRUE(pads.Poll(keys, 2500, false));
  EXPECT_FALSE(pads.Poll(keys, 4000, false)) << "the last look done, the loop sleeps again";
  EXPECT_FALSE(pads.Poll(keys, 4008, false));
  EXPECT_EQ(reads, 10 + 3 * 4);
}

}  // namespace
}  // namespace tv
