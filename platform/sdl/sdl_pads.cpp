#include "platform/sdl/sdl_pads.h"

#include <algorithm>
#include <cstdio>
#include <optional>

#include "platform/sdl/sdl_device_watch.h"
#include "platform/sdl/sdl_subsystems.h"

namespace tv {
namespace {

// Read 125 times a second, the report rate of many USB pads: a press or a
// release reaches the game at most 8 ms late (less than one 10 ms tick of a
// charge), and the wait sleeps in between, where SDL's own reading would wake
// it every millisecond.
constexpr uint64_t kReadMs = 8;

std::optional<PadInput> InputOfButton(Uint8 button) {
  switch (button) {
    case SDL_CONTROLLER_BUTTON_DPAD_UP: return PadInput::DpadUp;
    case SDL_CONTROLLER_BUTTON_DPAD_DOWN: return PadInput::DpadDown;
    case SDL_CONTROLLER_BUTTON_DPAD_LEFT: return PadInput::DpadLeft;
    case SDL_CONTROLLER_BUTTON_DPAD_RIGHT: return PadInput::DpadRight;
    case SDL_CONTROLLER_BUTTON_A: return PadInput::South;
    case SDL_CONTROLLER_BUTTON_X: return PadInput::West;
    case SDL_CONTROLLER_BUTTON_B: return PadInput::East;
    case SDL_CONTROLLER_BUTTON_BACK: return PadInput::Back;
    case SDL_CONTROLLER_BUTTON_START: return PadInput::Start;
    default: return std::nullopt;
  }
}

std::optional<PadInput> InputOfAxis(Uint8 axis) {
  if (axis == SDL_CONTROLLER_AXIS_LEFTX) return PadInput::StickX;
  if (axis == SDL_CONTROLLER_AXIS_LEFTY) return PadInput::StickY;
  return std::nullopt;
}

}  // namespace

// Set as the backend is made, before the audio device's thread can read SDL's
// hints: SDL does not lock them.
Pads::Pads() {
  // By default SDL reads joysticks on every pump and, while one is plugged
  // in, turns its wait into a loop that wakes every millisecond. Update reads
  // them instead, every kReadMs while one is plugged in, so the wait sleeps.
  SDL_SetHint(SDL_HINT_AUTO_UPDATE_JOYSTICKS, "0");
  // SDL would drop a press made while none of the program's windows has the
  // keyboard, as while it passes from the main window to a box just opened
  // (SdlBackendOnX.AGameControllerPlaysAsTheKeyboard taps A then); PadKeys
  // decides instead, and still leaves out presses made in another program.
  SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");
}
Pads::~Pads() { Stop(); }

void Pads::Start() {
  if (started_) return;
  started_ = true;
  initialised_ = StartSdlPart(SDL_INIT_GAMECONTROLLER);
  if (!initialised_) {
    std::fprintf(stderr, "tarvolen: game controllers cannot be used: %s\n", SDL_GetError());
    return;
  }
  // A pad plugged in while the loop sleeps wakes it, so that it is noticed
  // then and not at the next key or tick; the wake is an event nobody takes.
  const Uint32 wake = SDL_RegisterEvents(1);
  if (wake != Uint32(-1))
    watch_ = std::make_unique<DeviceWatch>("/dev/input", [this, wake] {
      devicesChanged_ = true;
      SDL_Event e{};
      e.type = wake;
      SDL_PushEvent(&e);
    });
}

void Pads::Stop() {
  watch_.reset();  // before SDL's events go
  for (Pad& pad : pads_) SDL_GameControllerClose(pad.controller);
  pads_.clear();
  if (initialised_) StopSdlPart(SDL_INIT_GAMECONTROLLER);
  initialised_ = false;
}

void Pads::Update() {
  if (!initialised_) return;
  // Without a pad SDL is asked only when a device came or went (and once at
  // first): a match's ticks would otherwise have it look for pads a hundred
  // times a second. A virtual pad announces itself as it is attached.
  if (pads_.empty() && !devicesChanged_.exchange(false)) return;
  const uint64_t now = SDL_GetTicks64();
  if (now < nextRead_) return;
  nextRead_ = now + kReadMs;
  // Also notices pads plugged in or pulled out since the last read.
  SDL_GameControllerUpdate();
}

int64_t Pads::Limit(int64_t waitMs) const {
  const uint64_t now = SDL_GetTicks64();
  if (!pads_.empty()) waitMs = WaitAtMost(waitMs, now, nextRead_);
  return keys_.Limit(waitMs, now);
}

bool Pads::Translate(const SDL_Event& e, Uint32 mainWindowId, bool boxOpen) {
  switch (e.type) {
    case SDL_WINDOWEVENT:
      // SDL takes the keyboard from a window before it gives it to another.
      if (e.window.event == SDL_WINDOWEVENT_FOCUS_GAINED) keys_.KeyboardAt(e.window.windowID);
      if (e.window.event == SDL_WINDOWEVENT_FOCUS_LOST) keys_.KeyboardAt(0);
      // SDL lets go of the keyboard's keys without a release the game would
      // see (a charge held over a message box must not fire); so go the pads'.
      if (e.window.windowID == mainWindowId && e.window.event == SDL_WINDOWEVENT_FOCUS_LOST)
        keys_.FocusLost();
      return false;
    case SDL_JOYDEVICEADDED:
      SayIfUnknown(e.jdevice.which);
      return true;
    case SDL_CONTROLLERDEVICEADDED:
      Open(e.cdevice.which);
      return true;
    case SDL_CONTROLLERDEVICEREMOVED:
      Close(e.cdevice.which);
      return true;
    case SDL_CONTROLLERBUTTONDOWN:
    case SDL_CONTROLLERBUTTONUP:
      if (auto input = InputOfButton(e.cbutton.button); input && Known(e.cbutton.which))
        keys_.Report(e.cbutton.which, *input, e.type == SDL_CONTROLLERBUTTONDOWN, SDL_GetTicks64(), boxOpen);
      return true;
    case SDL_CONTROLLERAXISMOTION:
      if (auto input = InputOfAxis(e.caxis.axis); input && Known(e.caxis.which))
        keys_.Report(e.caxis.which, *input, e.caxis.value, SDL_GetTicks64(), boxOpen);
      return true;
    case SDL_CONTROLLERDEVICEREMAPPED:
    case SDL_CONTROLLERTOUCHPADDOWN:
    case SDL_CONTROLLERTOUCHPADMOTION:
    case SDL_CONTROLLERTOUCHPADUP:
    case SDL_CONTROLLERSENSORUPDATE:
      return true;
    default:
      return false;
  }
}

void Pads::HandOver(Uint32 windowId) { keys_.HandOver(windowId, SDL_GetTicks64()); }

bool Pads::Next(PadKeys::Key& out) {
  Update();
  return keys_.Next(SDL_GetTicks64(), out);
}

void Pads::Open(int deviceIndex) {
  const SDL_JoystickID id = SDL_JoystickGetDeviceInstanceID(deviceIndex);
  if (id < 0 || Known(id)) return;
  SDL_GameController* controller = SDL_GameControllerOpen(deviceIndex);
  if (!controller) {
    std::fprintf(stderr, "tarvolen: cannot use the game controller %s: %s\n",
                 SDL_GameControllerNameForIndex(deviceIndex) ? SDL_GameControllerNameForIndex(deviceIndex) : "",
                 SDL_GetError());
    return;
  }
  pads_.push_back(Pad{controller, SDL_JoystickInstanceID(SDL_GameControllerGetJoystick(controller))});
}

void Pads::Close(SDL_JoystickID id) {
  auto it = std::find_if(pads_.begin(), pads_.end(), [&](const Pad& p) { return p.id == id; });
  if (it == pads_.end()) return;
  keys_.Remove(id);
  SDL_GameControllerClose(it->controller);
  pads_.erase(it);
}

bool Pads::Known(SDL_JoystickID id) const {
  return std::any_of(pads_.begin(), pads_.end(), [&](const Pad& p) { return p.id == id; });
}

// A joystick SDL has no mapping for would do nothing in silence; the player is
// told which one, once a run: a pad replugged, or its twin, is the same GUID.
void Pads::SayIfUnknown(int deviceIndex) {
  if (SDL_JoystickGetDeviceInstanceID(deviceIndex) < 0 || SDL_IsGameController(deviceIndex)) return;
  char guid[33];
  SDL_JoystickGetGUIDString(SDL_JoystickGetDeviceGUID(deviceIndex), guid, sizeof guid);
  if (!unknownSaid_.insert(guid).second) return;
  const char* name = SDL_JoystickNameForIndex(deviceIndex);
  std::fprintf(stderr, "tarvolen: not a known game controller: %s\n", name ? name : "");
}

}  // namespace tv
