#pragma once
// Kept with the SDL backend: the environment SDL's video start reads (X11's input method and
// window class, D-Bus).

namespace tv {

// What the window's start-up needs of the process's environment, for this
// program alone (the programs it starts get the player's); called before any
// other thread starts, since it changes the environment. Without a session
// bus it turns D-Bus's autolaunch off.
void PrepareSdlProcess();

// Whether SDL's video start may fork: D-Bus autolaunches its helper when the
// player names an address that asks for it (or, before PrepareSdlProcess, when
// there is no session bus at all). Nothing else of the program may run on
// another thread then.
bool VideoStartMayFork();

}  // namespace tv
