#pragma once
#include <memory>

#include "platform/base/text.h"

namespace tv {

// Text rendered with SDL_ttf. Needs no window and no video subsystem, so the
// headless backend of the tests measures labels with the real fonts too.
std::unique_ptr<TextRenderer> MakeSdlTextRenderer();

}  // namespace tv
