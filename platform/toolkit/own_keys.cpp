#include "platform/toolkit/own_keys.h"

#include "platform/base/types.h"

namespace tv {
namespace {

constexpr uint16_t kF11 = 122;

// Whether `k` is a key of the window's own: a press `ours` says is one (its
// repeats too), or the release of the one `held`.
bool Own(const KeyStroke& k, bool ours, std::optional<int>& held) {
  if (!k.down) {
    if (held != k.physical) return false;
    held.reset();
    return true;
  }
  if (!ours) return false;
  held = k.physical;
  return true;
}

}  // namespace

OwnKeys::Use OwnKeys::Claim(const KeyStroke& k) {
  const bool first = k.down && !k.repeat;
  if (Own(k, k.key == kF11 || (k.alt && k.key == VK_RETURN), fullscreenKey_))
    return first ? Use::Fullscreen : Use::Swallowed;
  if (Own(k, k.key == 'M' && !k.alt && !k.ctrlOrGui, muteKey_)) return first ? Use::Mute : Use::Swallowed;
  return Use::Game;
}

}  // namespace tv
