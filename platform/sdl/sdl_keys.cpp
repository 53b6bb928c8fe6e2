#include "platform/sdl/sdl_keys.h"

namespace tv {
namespace {

uint16_t Keypad(SDL_Keycode sym, bool numLock) {
  // With Num Lock off the keypad is a second set of cursor keys.
  static const uint16_t kDigits[10] = {96, 97, 98, 99, 100, 101, 102, 103, 104, 105};
  static const uint16_t kMoves[10] = {45, 35, 40, 34, 37, 12, 39, 36, 38, 33};
  int digit = -1;
  switch (sym) {
    case SDLK_KP_0: digit = 0; break;
    case SDLK_KP_1: digit = 1; break;
    case SDLK_KP_2: digit = 2; break;
    case SDLK_KP_3: digit = 3; break;
    case SDLK_KP_4: digit = 4; break;
    case SDLK_KP_5: digit = 5; break;
    case SDLK_KP_6: digit = 6; break;
    case SDLK_KP_7: digit = 7; break;
    case SDLK_KP_8: digit = 8; break;
    case SDLK_KP_9: digit = 9; break;
    case SDLK_KP_PERIOD: return numLock ? 110 : 46;
    default: return 0;
  }
  return numLock ? kDigits[digit] : kMoves[digit];
}

uint16_t Named(SDL_Keycode sym) {
  switch (sym) {
    case SDLK_BACKSPACE: return 8;
    case SDLK_TAB: return 9;
    case SDLK_RETURN:
    case SDLK_RETURN2:
    case SDLK_KP_ENTER: return 13;
    case SDLK_LSHIFT:
    case SDLK_RSHIFT: return 16;
    case SDLK_LCTRL:
    case SDLK_RCTRL: return 17;
    case SDLK_LALT:
    case SDLK_RALT: return 18;
    case SDLK_PAUSE: return 19;
    case SDLK_CAPSLOCK: return 20;
    case SDLK_ESCAPE: return 27;
    case SDLK_SPACE: return 32;
    case SDLK_PAGEUP: return 33;
    case SDLK_PAGEDOWN: return 34;
    case SDLK_END: return 35;
    case SDLK_HOME: return 36;
    case SDLK_LEFT: return 37;
    case SDLK_UP: return 38;
    case SDLK_RIGHT: return 39;
    case SDLK_DOWN: return 40;
    case SDLK_PRINTSCREEN: return 44;
    case SDLK_INSERT: return 45;
    case SDLK_DELETE: return 46;
    case SDLK_LGUI: return 91;
    case SDLK_RGUI: return 92;
    case SDLK_APPLICATION: return 93;
    case SDLK_KP_MULTIPLY: return 106;
    case SDLK_KP_PLUS: return 107;
    case SDLK_KP_MINUS: return 109;
    case SDLK_KP_DIVIDE: return 111;
    case SDLK_NUMLOCKCLEAR: return 144;
    case SDLK_SCROLLLOCK: return 145;
    case SDLK_SEMICOLON: return 186;
    case SDLK_EQUALS: return 187;
    case SDLK_COMMA: return 188;
    case SDLK_MINUS: return 189;
    case SDLK_PERIOD: return 190;
    case SDLK_SLASH: return 191;
    case SDLK_BACKQUOTE: return 192;
    case SDLK_LEFTBRACKET: return 219;
    case SDLK_BACKSLASH: return 220;
    case SDLK_RIGHTBRACKET: return 221;
    case SDLK_QUOTE: return 222;
    default: break;
  }
  if (sym >= SDLK_F1 && sym <= SDLK_F12) return uint16_t(112 + (sym - SDLK_F1));
  return 0;
}

}  // namespace

uint16_t LayoutKeyOf(const SDL_Keysym& key) {
  SDL_Keycode sym = key.sym;
  if (sym >= SDLK_a && sym <= SDLK_z) return uint16_t('A' + (sym - SDLK_a));
  if (sym >= SDLK_0 && sym <= SDLK_9) return uint16_t('0' + (sym - SDLK_0));
  if (uint16_t k = Keypad(sym, (key.mod & KMOD_NUM) != 0)) return k;
  return Named(sym);
}

uint16_t VirtualKeyOf(const SDL_Keysym& key) {
  if (uint16_t k = LayoutKeyOf(key)) return k;
  SDL_Scancode sc = key.scancode;
  if (sc >= SDL_SCANCODE_A && sc <= SDL_SCANCODE_Z) return uint16_t('A' + (sc - SDL_SCANCODE_A));
  if (sc >= SDL_SCANCODE_1 && sc <= SDL_SCANCODE_9) return uint16_t('1' + (sc - SDL_SCANCODE_1));
  if (sc == SDL_SCANCODE_0) return '0';
  return 0;
}

std::optional<MouseButton> MouseButtonOf(Uint8 button) {
  switch (button) {
    case SDL_BUTTON_LEFT: return MouseButton::Left;
    case SDL_BUTTON_RIGHT: return MouseButton::Right;
    case SDL_BUTTON_MIDDLE: return MouseButton::Middle;
    default: return std::nullopt;
  }
}

}  // namespace tv
