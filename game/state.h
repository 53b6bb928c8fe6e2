#pragma once
#include <cstdint>
#include <string>

namespace tv {

// The whole game runs on these variables; every handler of the window reads
// and writes them. All start out zero, as before the window exists.
struct GameState {
  int32_t Power = 0;        // launch speed of the current shot
  int32_t Angle = 0;        // aim of the side whose turn it is, whole degrees, 0 = right
  int32_t Gravity = 0;      // 10 from the first match on
  double FlightTime = 0.0;  // the flight's time parameter
  int32_t DeltaY = 0;       // upward displacement from the launch point
  int32_t DeltaX = 0;       // rightward displacement from the launch point
  int32_t LaunchLeft = 0;
  int32_t LaunchTop = 0;
  std::string Phase;        // "menu", "kullanici", "bilgisayar", "hareket"
  std::string Turn;         // "kullanici1", "kullanici2", "bilgisayar1", "bilgisayar2"
  int16_t MenuIndex = 0;    // highlighted row; during a match, its mode
  int64_t Level = 0;        // campaign level 1..8
  std::string GameTitle;
  uint8_t FreeMove = 0;     // 1: the launcher may slide sideways
  uint32_t RandSeed = 0;    // the random generator's state
};

// Whole degrees to radians with the program's own value of pi.
long double DegToRad(int32_t degrees);
// Nearest integer, halves to even, keeping the low 32 bits.
int32_t RoundToInt(long double x);

// A uniform integer in 0..n-1 from the linear congruential generator.
uint32_t RandomBelow(GameState& g, uint32_t n);
// Seeds the generator from a running counter (its low 32 bits).
void ReseedRandom(GameState& g, uint64_t counter);

// The state words.
inline const std::string kMenu = "menu";
inline const std::string kKullanici = "kullanici";
inline const std::string kBilgisayar = "bilgisayar";
inline const std::string kHareket = "hareket";
inline const std::string kKullanici1 = "kullanici1";
inline const std::string kKullanici2 = "kullanici2";
inline const std::string kBilgisayar1 = "bilgisayar1";
inline const std::string kBilgisayar2 = "bilgisayar2";

}  // namespace tv
