#pragma once
#include <SDL.h>

#include <cstdint>
#include <optional>

#include "platform/base/types.h"

namespace tv {

// The game's virtual-key code of a key (VK_* in types.h: the codes the handlers and
// journals use), 0 for keys the program has no code for (SdlBackendOnX.KeysArriveAsVirtualKeyCodes).
// Letters and digits follow the keyboard layout, falling back to the key's
// position when the layout gives no Latin letter; the keypad follows Num Lock.
uint16_t VirtualKeyOf(const SDL_Keysym& key);

// The key as the layout names it, without the fallback to its position: the
// window's own keys (OwnKeys) are what the key says, M on a layout with an M.
uint16_t LayoutKeyOf(const SDL_Keysym& key);

// The mouse buttons the program knows; none for the others.
std::optional<MouseButton> MouseButtonOf(Uint8 button);

}  // namespace tv
