#!/usr/bin/env bash
# Installs every Debian package that building, playing and testing Tarvolen need.
# Idempotent: does nothing when all are present. Works as root or through sudo.
set -euo pipefail

PACKAGES=(
  build-essential cmake pkg-config
  libsdl2-dev libsdl2-ttf-dev
  libfluidsynth-dev timgm6mb-soundfont
  libjpeg-dev libpng-dev
  libsmf-dev libsndfile1-dev
  fontconfig libfontconfig-dev fonts-wine fonts-dejavu-core
  libgtest-dev libgmock-dev libbenchmark-dev
  xvfb xauth xdotool x11-utils libx11-dev
  clang libclang-rt-14-dev
)
# Tools that wrote the test corpus of foreign pictures, tunes and sounds
# (tests/corpus/make_corpus.sh); needed only to write it again.
CORPUS_TOOLS=(imagemagick netpbm sox libsox-fmt-base midicsv python3-mido abcmidi)
PACKAGES+=("${CORPUS_TOOLS[@]}")

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -eq 0 ]; then SUDO=(); else SUDO=(sudo); fi
echo "Installing: ${missing[*]}"
"${SUDO[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -q
"${SUDO[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${missing[@]}"
