#!/usr/bin/env bash
# Makes the Wine prefix the Windows program's tests run in, once per test run:
#   scripts/wine_prefix.sh DIR
# Debian's fonts-wine copied in, so that "MS Sans Serif" is the face the Linux
# program draws its boxes with. Windows are left to the X window manager
# (the end-to-end test runs openbox): without one, closing a window stalls two seconds.
# No Mono or Gecko: the game needs neither, and fetching them would need the network.
set -euo pipefail
prefix=$(realpath -m "$1")
rm -rf "$prefix"
mkdir -p "$prefix"
export WINEPREFIX="$prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
export WINEARCH=win64
wine=$(command -v wine64 || command -v wine)
DISPLAY= "$wine" wineboot --init >/dev/null 2>&1
fonts="$prefix/drive_c/windows/Fonts"
mkdir -p "$fonts"
cp /usr/share/wine/fonts/*.fon /usr/share/wine/fonts/*.ttf "$fonts"/
"$(dirname "$wine")/wineserver" -w 2>/dev/null || wineserver -w
echo "$prefix"
