// The end of a shot: who wins, and who plays after a miss.
#include "game/turns.h"

#include "game/state.h"

namespace tv {

std::optional<HandOver> AfterMiss(const std::string& missed, int16_t mode) {
  if (missed == kKullanici1 && mode == 0) return HandOver{kBilgisayar, kBilgisayar2, "Computer 2", true};
  if (missed == kKullanici1 && mode == 1) return HandOver{kKullanici, kKullanici2, "Player 2", false};
  if (missed == kKullanici2) return HandOver{kKullanici, kKullanici1, "Player 1", false};
  if (missed == kBilgisayar2 && mode == 0) return HandOver{kKullanici, kKullanici1, "Player 1", false};
  if (missed == kBilgisayar2 && mode == 2) return HandOver{kBilgisayar, kBilgisayar1, "Computer 1", true};
  if (missed == kBilgisayar1) return HandOver{kBilgisayar, kBilgisayar2, "Computer 2", true};
  return std::nullopt;
}

const char* WinnerText(const std::string& turn) {
  if (turn == kKullanici1) return "Player 1 Won!";
  if (turn == kKullanici2) return "Player 2 Won!";
  if (turn == kBilgisayar1) return "Computer 1 Won!";
  if (turn == kBilgisayar2) return "Computer 2 Won!";
  return "";
}

}  // namespace tv
