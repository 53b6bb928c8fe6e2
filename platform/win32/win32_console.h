#pragma once

namespace tv {

// The program is a windowed one: Windows gives it no console. Called first in
// main, this attaches it to the console it was started from, if any, so that
// --help, --version and errors are printed where the player typed the
// command; standard output or error already sent to a file or a pipe stays there.
void AttachParentConsole();

}  // namespace tv
