#pragma once
#include <cstdint>

namespace tv {

// The direction of the line between the launchers' top-left corners, in whole
// degrees: `dy` upward from the left launcher to the right one, `dx` rightward.
int32_t BaseAngle(int32_t dy, int32_t dx);

// The computer's angle: the base lifted by `lift` degrees (0..29), mirrored
// for the right-hand side, which fires leftward.
int32_t ComputerAngle(bool leftSide, int32_t base, int32_t lift);

}  // namespace tv
