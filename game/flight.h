#pragma once
#include <cstdint>

#include "game/geometry.h"

namespace tv {

// How far the ball has come from its launch point at time `t`: rightward and upward.
struct Displacement {
  int32_t dx = 0, dy = 0;
};
Displacement FlightAt(int32_t angle, int32_t power, int32_t gravity, double t);

// The flight's time parameter one tick later.
double NextFlightTime(double t);

// Where the ball stands at that displacement from its launch point.
Spot FlightSpot(Spot launch, Displacement d);

// The ball touches the target; touching edges count.
bool Touching(const Box& ball, const Box& target);

// The ball is still above the ground line and its right edge inside the window.
bool InField(const Box& ball, int32_t groundTop, int32_t windowWidth);

}  // namespace tv
