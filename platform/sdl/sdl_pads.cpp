#include "platform/sdl/sdl_pads.h"

#include <algorithm>
#include <climits>
#include <cstdio>

#include "platform/sdl/sdl_device_watch.h"
#include "platform/sdl/sdl_subsystems.h"

namespace tv {
namespace {

// The key each source stands for, in the order of Pads::Source.
constexpr uint16_t kKeyA = 'A';
constexpr std::array<uint16_t, 13> kKeys = {VK_UP,    VK_DOWN,  VK_LEFT, VK_RIGHT,  VK_UP,     VK_DOWN,  VK_LEFT,
                                            VK_RIGHT, VK_SPACE, kKeyA,   VK_ESCAPE, VK_ESCAPE, VK_RETURN};

// Read 125 times a second, the report rate of many USB pads: a press or a
// release reaches the game at most 8 ms late (less than one 10 ms tick of a
// charge), and the wait sleeps in between, where SDL's own reading would wake
// it every millisecond.
constexpr uint64_t kReadMs = 8;
// A held direction or A repeats as a held key does: first after half a second, then 30 times a second.
constexpr uint64_t kRepeatDelayMs = 500;
constexpr uint64_t kRepeatMs = 33;
// The stick is an arrow held past half its travel, and lets go only once back
// under 30 %: a stick resting near the edge does not flicker between the two.
constexpr int kStickOn = 16384;
constexpr int kStickOff = 9830;

// The arrows step the aim once a press; Space's repeats start a charge held
// over from the computer's turn (Input.ASpaceHeldFromTheComputersTurnCharges...).
// Esc, Enter and the A key would only do their work again.
bool Repeats(uint16_t key) {
  return key == VK_UP || key == VK_DOWN || key == VK_LEFT || key == VK_RIGHT || key == VK_SPACE;
}

}  // namespace

Pads::Pads() = default;
Pads::~Pads() { Stop(); }

void Pads::Start() {
  if (started_) return;
  started_ = true;
  // By default SDL reads joysticks on every pump and, while one is plugged
  // in, turns its wait into a loop that wakes every millisecond. Update reads
  // them instead, every kReadMs while one is plugged in, so the wait sleeps.
  SDL_SetHint(SDL_HINT_AUTO_UPDATE_JOYSTICKS, "0");
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
  auto until = [&](uint64_t at) { return at <= now ? int64_t(0) : int64_t(std::min<uint64_t>(at - now, INT_MAX)); };
  if (!pads_.empty()) waitMs = waitMs < 0 ? until(nextRead_) : std::min(waitMs, until(nextRead_));
  if (repeatKey_) waitMs = waitMs < 0 ? until(repeatDue_) : std::min(waitMs, until(repeatDue_));
  return waitMs;
}

bool Pads::Take(const SDL_Event& e, Uint32 mainWindowId, bool boxOpen) {
  switch (e.type) {
    case SDL_WINDOWEVENT:
      // SDL lets go of the keyboard's keys without a release the game would
      // see (a charge held over a message box must not fire); so go the pads'.
      if (e.window.windowID == mainWindowId && e.window.event == SDL_WINDOWEVENT_FOCUS_LOST) {
        forGame_.reset();
        repeatKey_ = 0;
      }
      return false;
    case SDL_CONTROLLERDEVICEADDED:
      Open(e.cdevice.which);
      return true;
    case SDL_CONTROLLERDEVICEREMOVED:
      Close(e.cdevice.which);
      return true;
    case SDL_CONTROLLERBUTTONDOWN:
    case SDL_CONTROLLERBUTTONUP: {
      Pad* pad = Find(e.cbutton.which);
      const bool down = e.type == SDL_CONTROLLERBUTTONDOWN;
      if (!pad) return true;
      switch (e.cbutton.button) {
        case SDL_CONTROLLER_BUTTON_DPAD_UP: Hold(*pad, kDpadUp, down, boxOpen); break;
        case SDL_CONTROLLER_BUTTON_DPAD_DOWN: Hold(*pad, kDpadDown, down, boxOpen); break;
        case SDL_CONTROLLER_BUTTON_DPAD_LEFT: Hold(*pad, kDpadLeft, down, boxOpen); break;
        case SDL_CONTROLLER_BUTTON_DPAD_RIGHT: Hold(*pad, kDpadRight, down, boxOpen); break;
        case SDL_CONTROLLER_BUTTON_A: Hold(*pad, kSouth, down, boxOpen); break;
        case SDL_CONTROLLER_BUTTON_X: Hold(*pad, kWest, down, boxOpen); break;
        case SDL_CONTROLLER_BUTTON_B: Hold(*pad, kEast, down, boxOpen); break;
        case SDL_CONTROLLER_BUTTON_BACK: Hold(*pad, kBack, down, boxOpen); break;
        case SDL_CONTROLLER_BUTTON_START: Hold(*pad, kStart, down, boxOpen); break;
        default: break;
      }
      return true;
    }
    case SDL_CONTROLLERAXISMOTION:
      if (Pad* pad = Find(e.caxis.which)) {
        if (e.caxis.axis == SDL_CONTROLLER_AXIS_LEFTX) Stick(*pad, kStickLeft, kStickRight, e.caxis.value, boxOpen);
        if (e.caxis.axis == SDL_CONTROLLER_AXIS_LEFTY) Stick(*pad, kStickUp, kStickDown, e.caxis.value, boxOpen);
      }
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

bool Pads::Next(Event& out) {
  Update();
  if (!queue_.empty()) {
    out = queue_.front();
    queue_.pop_front();
    return true;
  }
  const uint64_t now = SDL_GetTicks64();
  if (!repeatKey_ || now < repeatDue_) return false;
  // From now on, not from when it was due: a late loop gets one repeat, not a burst.
  repeatDue_ = now + kRepeatMs;
  out = Event::Key(Event::Type::KeyDown, repeatKey_);
  return true;
}

void Pads::Open(int deviceIndex) {
  const SDL_JoystickID id = SDL_JoystickGetDeviceInstanceID(deviceIndex);
  if (id < 0 || Find(id)) return;
  SDL_GameController* controller = SDL_GameControllerOpen(deviceIndex);
  if (!controller) {
    std::fprintf(stderr, "tarvolen: cannot use the game controller %s: %s\n",
                 SDL_GameControllerNameForIndex(deviceIndex) ? SDL_GameControllerNameForIndex(deviceIndex) : "",
                 SDL_GetError());
    return;
  }
  pads_.push_back(Pad{controller, SDL_JoystickInstanceID(SDL_GameControllerGetJoystick(controller)), {}});
}

void Pads::Close(SDL_JoystickID id) {
  auto it = std::find_if(pads_.begin(), pads_.end(), [&](const Pad& p) { return p.id == id; });
  if (it == pads_.end()) return;
  // SDL lets go of a pad's buttons and stick as it goes; whatever is still
  // held then is let go here, or a charge would never fire.
  for (int s = 0; s < kSources; ++s) Hold(*it, Source(s), false, false);
  SDL_GameControllerClose(it->controller);
  pads_.erase(it);
}

Pads::Pad* Pads::Find(SDL_JoystickID id) {
  for (Pad& pad : pads_)
    if (pad.id == id) return &pad;
  return nullptr;
}

void Pads::Stick(Pad& pad, Source negative, Source positive, int value, bool boxOpen) {
  const bool toNegative = -value >= (pad.held[negative] ? kStickOff : kStickOn);
  const bool toPositive = value >= (pad.held[positive] ? kStickOff : kStickOn);
  // Releases first: a stick flicked across in one report ends on the other side alone.
  if (!toNegative) Hold(pad, negative, false, boxOpen);
  if (!toPositive) Hold(pad, positive, false, boxOpen);
  if (toNegative) Hold(pad, negative, true, boxOpen);
  if (toPositive) Hold(pad, positive, true, boxOpen);
}

// A key goes down with the first source to hold it, on any pad, and up with
// the last to let go. A press made over a message box is the box's: the game
// sees neither it nor its release.
void Pads::Hold(Pad& pad, Source source, bool down, bool boxOpen) {
  static_assert(kKeys.size() == kSources);
  if (pad.held[source] == down) return;
  pad.held[source] = down;
  const uint16_t key = kKeys[source];
  if (down) {
    if (holders_[key]++ || boxOpen) return;
    forGame_[key] = true;
    queue_.push_back(Event::Key(Event::Type::KeyDown, key));
    if (Repeats(key)) {
      repeatKey_ = key;
      repeatDue_ = SDL_GetTicks64() + kRepeatDelayMs;
    }
    return;
  }
  if (--holders_[key]) return;
  if (key == repeatKey_) repeatKey_ = 0;
  if (!forGame_[key]) return;
  forGame_[key] = false;
  queue_.push_back(Event::Key(Event::Type::KeyUp, key));
}

}  // namespace tv
