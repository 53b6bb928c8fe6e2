#pragma once
#include <memory>

#include "platform/backend.h"

namespace tv {

// The real machine: an SDL window, its input, SDL's clock, message boxes as
// windows of their own. Throws std::runtime_error with a plain-words message
// when there is no display to open a window on.
std::unique_ptr<Backend> MakeSdlBackend();

}  // namespace tv
