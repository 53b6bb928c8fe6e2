// A stand-in program over the SDL backend alone: a window with a known
// picture that writes every event it receives to stdout, one per line.
// The end-to-end suite drives it to check the backend; run it by hand under
// Xvfb to look at the window and the message boxes.
//   b: message box with two lines   e: error box with the stop icon
//   r: a red square at (0, 0)       p: an event posted from another thread
//   s: box storm: from now on a dismissed box is followed at once by a new one,
//      and another thread posts a silent event every millisecond, as the audio
//      thread's notices do, so SDL keeps waking its waiting loop
//   g: a virtual game controller plays the steps of PadSteps, then "PadDone"; an unknown joystick twice
#include <cstdio>
#include <exception>
#include <atomic>
#include <chrono>
#include <string>
#include <map>
#include <thread>
#include <utility>
#include <vector>

#include <SDL.h>

#include "platform/sdl/sdl_audio.h"
#include "platform/sound/audio_device.h"
#include "platform/sdl/sdl_backend.h"

namespace {

const char* Name(tv::Event::Type t) {
  using T = tv::Event::Type;
  switch (t) {
    case T::KeyDown: return "KeyDown";
    case T::KeyUp: return "KeyUp";
    case T::MouseMove: return "MouseMove";
    case T::MouseDown: return "MouseDown";
    case T::MouseUp: return "MouseUp";
    case T::Quit: return "Quit";
    case T::DialogDismissed: return "DialogDismissed";
    case T::MediaNotify: return "MediaNotify";
    case T::Expose: return "Expose";
  }
  return "?";
}

const char* ButtonName(tv::MouseButton b) {
  return b == tv::MouseButton::Left ? "L" : b == tv::MouseButton::Right ? "R" : "M";
}

// Black, a lime bar touching the top-right corner, a white dot at (100, 100).
tv::Bitmap Picture(int w, int h) {
  tv::Bitmap b(w, h, 0x000000);
  for (int y = 0; y < 13; ++y)
    for (int x = w - 100; x < w; ++x) b.Set(x, y, 0x00FF00);
  b.Set(100, 100, 0xFFFFFF);
  return b;
}

// One step of the virtual pad: a button (or the left stick's Y axis, -1) set
// to `value`, after opening a box, or once key `repeated` went down three times
// since the last step. Each waits until the backend has read the one before.
struct PadStep {
  int button, value;
  bool box = false;
  int repeated = 0;
};

bool Read(SDL_Joystick* pad, const PadStep& s) {
  return s.button < 0 ? SDL_JoystickGetAxis(pad, SDL_CONTROLLER_AXIS_LEFTY) == s.value
                      : SDL_JoystickGetButton(pad, s.button) == s.value;
}
constexpr int kA = SDL_CONTROLLER_BUTTON_A, kB = SDL_CONTROLLER_BUTTON_B, kUp = SDL_CONTROLLER_BUTTON_DPAD_UP;
const std::vector<PadStep> kPadSteps = {
    {kUp, 1}, {kUp, 0, false, 38}, {kA, 1}, {kA, 0, false, 32}, {SDL_CONTROLLER_BUTTON_START, 1},
    {SDL_CONTROLLER_BUTTON_START, 0}, {-1, -20000}, {-1, -12000}, {SDL_CONTROLLER_BUTTON_X, 1},
    {SDL_CONTROLLER_BUTTON_X, 0}, {-1, -8000}, {kB, 1}, {kB, 0},
    {kA, 0, true}, {kB, 0, true}, {kA, 1}};

int Run(const std::string& title) {
  tv::AudioDevice audio{std::make_unique<tv::SdlAudioOutput>()};  // the beep's; outlives the backend
  auto backend = tv::MakeSdlBackend(audio);
  const int w = 586, h = 440;
  tv::ArgbImage icon{2, 2, {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0x00000000}};
  backend->CreateMainWindow(w, h, title, icon);
  tv::Bitmap fb = Picture(w, h);
  backend->Present(fb, {tv::Rect{0, 0, w, h}});
  backend->ShowMainWindow();
  std::printf("FrameWidth %d\n", backend->FrameWidth());
  tv::TextMask m = backend->Text().Render(tv::FontSpec{}, "Player 1");
  std::printf("Text %d %d\n", m.width, m.height);
  std::printf("Pads %d\n", SDL_WasInit(SDL_INIT_GAMECONTROLLER) != 0);
  std::printf("Ready\n");
  bool storm = false;
  std::atomic<bool> posting{true};
  std::thread poster;
  struct Joiner {
    std::atomic<bool>& posting;
    std::thread& t;
    ~Joiner() {
      posting = false;
      if (t.joinable()) t.join();
    }
  } joiner{posting, poster};
  constexpr int kSilentId = 99;
  SDL_Joystick* pad = nullptr;
  // A box step's button is pressed, read and let go while SDL sees the keyboard with neither window.
  std::pair<SDL_Joystick*, int> tap{nullptr, -1};
  SDL_EventState(SDL_SYSWMEVENT, SDL_ENABLE);
  SDL_AddEventWatch([](void* data, SDL_Event* e) {
    auto& [tapped, button] = *static_cast<std::pair<SDL_Joystick*, int>*>(data);
    if (e->type != SDL_SYSWMEVENT || button < 0 || SDL_GetKeyboardFocus()) return 0;
    SDL_JoystickSetVirtualButton(tapped, button, 1);
    SDL_GameControllerUpdate();
    SDL_JoystickSetVirtualButton(tapped, std::exchange(button, -1), 0);
    return 0;
  }, &tap);
  int box = 0;  // the box a step opened; the next step waits until it is dismissed
  size_t step = 0;
  std::map<int, int> downs;  // KeyDowns of each key since the last step
  for (;;) {
    // Opened by the backend (a button held before is no press), and the last step read.
    const bool ready = pad && SDL_GameControllerFromInstanceID(SDL_JoystickInstanceID(pad)) && !box &&
                       (step == 0 || Read(pad, kPadSteps[step - 1]));
    if (ready && step == kPadSteps.size()) {
      SDL_JoystickClose(pad);
      SDL_JoystickDetachVirtual(0);
      pad = nullptr;
      std::printf("PadDone\n");
    } else if (ready && (!kPadSteps[step].repeated || downs[kPadSteps[step].repeated] >= 3)) {
      const PadStep& s = kPadSteps[step++];
      downs.clear();
      if (s.box) std::printf("Opened %d\n", box = backend->OpenMessageBox("Player 1 Won!", title, false));
      if (s.box) tap = {pad, s.button};
      if (s.button < 0) SDL_JoystickSetVirtualAxis(pad, SDL_CONTROLLER_AXIS_LEFTY, Sint16(s.value));
      else SDL_JoystickSetVirtualButton(pad, s.button, Uint8(s.value));
    }
    tv::Event ev;
    if (!backend->WaitEvent(ev, pad ? 5 : -1, false)) continue;
    using T = tv::Event::Type;
    if (ev.type == T::KeyDown) ++downs[ev.key];
    switch (ev.type) {
      case T::KeyDown:
      case T::KeyUp:
        std::printf("%s %d\n", Name(ev.type), ev.key);
        break;
      case T::MouseMove:
      case T::MouseDown:
      case T::MouseUp:
        std::printf("%s %d %d %s\n", Name(ev.type), ev.x, ev.y, ButtonName(ev.button));
        break;
      case T::MediaNotify:
        if (ev.id == kSilentId) continue;
        [[fallthrough]];
      case T::DialogDismissed:
        std::printf("%s %d %u\n", Name(ev.type), ev.id, ev.param);
        if (ev.type == T::DialogDismissed) backend->CloseMessageBox(ev.id);
        if (ev.type == T::DialogDismissed && ev.id == box) box = 0;
        if (ev.type == T::DialogDismissed && storm) backend->OpenMessageBox("Player 1 Won!", title, false);
        break;
      case T::Quit:
        std::printf("Quit\n");
        return 0;
      case T::Expose:
        std::printf("Expose\n");
        backend->Present(fb, {tv::Rect{0, 0, w, h}});
        break;
    }
    if (ev.type != T::KeyDown) continue;
    if (ev.key == 'B') std::printf("Opened %d\n", backend->OpenMessageBox("Player 1 Won!\rWell done.", title, false));
    if (ev.key == 'E') std::printf("Opened %d\n", backend->OpenMessageBox("Cannot open file 9.bmp.", title, true));
    if (ev.key == 'R') {
      for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 10; ++x) fb.Set(x, y, 0xFF0000);
      backend->Present(fb, {tv::Rect{0, 0, 10, 10}});
      std::printf("Red\n");
    }
    if (ev.key == 'S' && !storm) {
      storm = true;
      poster = std::thread([&] {
        tv::Event silent;
        silent.type = T::MediaNotify;
        silent.id = kSilentId;
        while (posting) {
          backend->PostEvent(silent);
          std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
      });
      std::printf("Storm\n");
      backend->OpenMessageBox("Player 1 Won!", title, false);
    }
    if (ev.key == 'G' && !pad && step == 0) {
      SDL_VirtualJoystickDesc desc{};
      desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
      desc.type = SDL_JOYSTICK_TYPE_GAMECONTROLLER;
      desc.naxes = SDL_CONTROLLER_AXIS_MAX;
      desc.nbuttons = SDL_CONTROLLER_BUTTON_MAX;
      pad = SDL_JoystickOpen(SDL_JoystickAttachVirtualEx(&desc));
      desc.type = SDL_JOYSTICK_TYPE_UNKNOWN;  // no mapping: named once, for it and its twin alike
      desc.name = "Probe Stick";
      SDL_JoystickAttachVirtualEx(&desc);
      SDL_JoystickAttachVirtualEx(&desc);
    }
    if (ev.key == 'P') {
      tv::Event posted;
      posted.type = T::MediaNotify;
      posted.id = 7;
      posted.param = 1;
      std::thread([&] { backend->PostEvent(posted); }).join();
    }
  }
}

}  // namespace

int main(int argc, char** argv) {
  std::setvbuf(stdout, nullptr, _IOLBF, 0);
  try {
    return Run(argc > 1 ? argv[1] : "Probe");
  } catch (const std::exception& e) {
    std::fprintf(stderr, "%s\n", e.what());
    return 1;
  }
}
