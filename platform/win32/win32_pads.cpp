#include "platform/win32/win32_pads.h"

#include <algorithm>
#include <cstdio>

namespace tv {
namespace {

// The buttons that play, with what each is to the game.
struct ButtonInput {
  WORD bit;
  PadInput input;
};
constexpr ButtonInput kButtons[] = {
    {XINPUT_GAMEPAD_DPAD_UP, PadInput::DpadUp},
    {XINPUT_GAMEPAD_DPAD_DOWN, PadInput::DpadDown},
    {XINPUT_GAMEPAD_DPAD_LEFT, PadInput::DpadLeft},
    {XINPUT_GAMEPAD_DPAD_RIGHT, PadInput::DpadRight},
    {XINPUT_GAMEPAD_A, PadInput::South},
    {XINPUT_GAMEPAD_X, PadInput::West},
    {XINPUT_GAMEPAD_B, PadInput::East},
    {XINPUT_GAMEPAD_BACK, PadInput::Back},
    {XINPUT_GAMEPAD_START, PadInput::Start},
};

// After a rescan's first look, the later ones: the times udev's rules take on
// Linux, where DeviceWatch looks again as late.
constexpr uint64_t kLaterScansMs[] = {100, 500, 2000};
constexpr int kLaterScans = int(std::size(kLaterScansMs));

// XInput's Y is up positive; the game's, as SDL reports it, down.
int StickY(SHORT y) { return -std::max<int>(-32767, y); }

}  // namespace

void TellPadChanges(PadKeys& keys, int pad, const XINPUT_GAMEPAD& before, const XINPUT_GAMEPAD& now,
                    uint64_t nowMs, bool boxOpen) {
  for (const ButtonInput& b : kButtons)
    if ((before.wButtons ^ now.wButtons) & b.bit)
      keys.Report(pad, b.input, (now.wButtons & b.bit) ? 1 : 0, nowMs, boxOpen);
  if (before.sThumbLX != now.sThumbLX) keys.Report(pad, PadInput::StickX, now.sThumbLX, nowMs, boxOpen);
  if (before.sThumbLY != now.sThumbLY)
    keys.Report(pad, PadInput::StickY, StickY(now.sThumbLY), nowMs, boxOpen);
}

XInputPads::XInputPads() = default;

XInputPads::XInputPads(Reader reader) : reader_(std::move(reader)), loadTried_(true) {}

XInputPads::~XInputPads() {
  if (library_) ::FreeLibrary(library_);
}

void XInputPads::Rescan() {
  rescan_ = true;
  later_ = true;
}

bool XInputPads::Load() {
  if (loadTried_) return bool(reader_);
  loadTried_ = true;
  // Windows 8 and later have 1.4; 9.1.0 comes with Windows 7 and Vista.
  for (const wchar_t* name : {L"xinput1_4.dll", L"xinput9_1_0.dll"}) {
    library_ = ::LoadLibraryW(name);
    if (!library_) continue;
    auto get = reinterpret_cast<DWORD(WINAPI*)(DWORD, XINPUT_STATE*)>(
        reinterpret_cast<void*>(::GetProcAddress(library_, "XInputGetState")));
    if (get) {
      reader_ = get;
      return true;
    }
    ::FreeLibrary(library_);
    library_ = nullptr;
  }
  std::fprintf(stderr, "tarvolen: game controllers cannot be used: XInput is not on this system\n");
  return false;
}

bool XInputPads::Poll(PadKeys& keys, uint64_t nowMs, bool boxOpen) {
  bool scan = false;
  if (rescan_) {
    rescan_ = false;
    scan = true;
    scansLeft_ = later_ ? kLaterScans : 0;
    later_ = false;
    rescanAt_ = nowMs;
  } else if (scansLeft_ > 0 && nowMs >= rescanAt_ + kLaterScansMs[kLaterScans - scansLeft_]) {
    scan = true;
    --scansLeft_;
  }
  const bool any = std::find(connected_.begin(), connected_.end(), true) != connected_.end();
  if ((!any && !scan) || !Load()) return scansLeft_ > 0 && reader_;
  bool connected = false;
  for (int slot = 0; slot < XUSER_MAX_COUNT; ++slot) {
    // An empty slot costs XInput a look through the devices: asked only when looking for pads.
    if (!connected_[size_t(slot)] && !scan) continue;
    XINPUT_STATE state{};
    if (reader_(DWORD(slot), &state) == ERROR_SUCCESS) {
      // A pad just found counts from rest: what it already holds is pressed now.
      const XINPUT_GAMEPAD before = connected_[size_t(slot)] ? last_[size_t(slot)] : XINPUT_GAMEPAD{};
      TellPadChanges(keys, slot, before, state.Gamepad, nowMs, boxOpen);
      last_[size_t(slot)] = state.Gamepad;
      connected_[size_t(slot)] = true;
      connected = true;
    } else if (connected_[size_t(slot)]) {
      keys.Remove(slot);
      connected_[size_t(slot)] = false;
    }
  }
  return connected || scansLeft_ > 0;
}

}  // namespace tv
