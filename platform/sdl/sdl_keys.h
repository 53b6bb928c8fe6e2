#pragma once
#include <SDL.h>

#include <cstdint>

namespace tv {

// The desktop's virtual-key code of a key, 0 for keys the program has no code for.
// Letters and digits follow the keyboard layout, falling back to the key's
// position when the layout gives no Latin letter; the keypad follows Num Lock.
uint16_t VirtualKeyOf(const SDL_Keysym& key);

}  // namespace tv
