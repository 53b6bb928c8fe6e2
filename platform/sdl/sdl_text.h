#pragma once
#include <memory>
#include <string>
#include <vector>

#include "platform/base/text.h"

namespace tv {

// Text rendered with SDL_ttf. Needs no window and no video subsystem, so the
// headless backend of the tests measures labels with the real fonts too.
std::unique_ptr<TextRenderer> MakeSdlTextRenderer();

// Loads the font renderer's library ahead of the first text, on a start-up
// thread beside the window's own start; a first text drawn meanwhile waits.
void PrepareText();

}  // namespace tv
