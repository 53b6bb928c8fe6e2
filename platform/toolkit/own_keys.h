#pragma once
#include <cstdint>
#include <functional>
#include <optional>

namespace tv {

// What the player can switch on the window itself: F11 and Alt+Enter switch
// fullscreen on and off, M all sound.
struct WindowChoices {
  bool fullscreen = false;
  bool muted = false;
};
using WindowChoicesListener = std::function<void(const WindowChoices&)>;

// A key as the window's own keys see it.
struct KeyStroke {
  uint16_t key = 0;   // virtual-key code of what the key says in the keyboard's layout; 0: none
  int physical = 0;   // the key's place on the keyboard (its scan code): a release is matched by it,
                      // whatever the layout or the modifiers are by then
  bool down = true;
  bool repeat = false;     // a held key's repeated press
  bool alt = false;        // an Alt key is held
  bool ctrlOrGui = false;  // a Ctrl key or the system's (Windows, Super) is held
};

// The program's own keys, which belong to the window and not to the game: F11
// and Alt+Enter switch fullscreen, M switches all sound. Neither the game nor
// a journal sees them, and Alt+Enter is no Enter in the menu or a box; their
// repeats and releases go the same way, the release even when Alt was let go
// first. The backend makes the switch.
class OwnKeys {
 public:
  enum class Use {
    Game,        // the game's key
    Swallowed,   // the window's own, with nothing to do: a repeat, or the release of one
    Fullscreen,  // switch fullscreen on or off now
    Mute,        // switch all sound off or on now
  };
  Use Claim(const KeyStroke& k);

 private:
  std::optional<int> fullscreenKey_;  // the fullscreen key held down
  std::optional<int> muteKey_;        // the mute key held down
};

}  // namespace tv
