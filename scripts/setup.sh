#!/usr/bin/env bash
# Installs the Debian packages that playing, building and testing Tarvolen need.
#   scripts/setup.sh                 everything (what ./test.sh uses)
#   scripts/setup.sh runtime build   only what ./play.sh needs
#   scripts/setup.sh build windows   what ./play.sh --windows needs
#   scripts/setup.sh build web       what ./play.sh --web needs
# Idempotent: does nothing when all are present. Works as root or through sudo.
set -euo pipefail

# What the installed game needs besides the shared libraries it links: the
# bitmap face of its message boxes, the TrueType fallback, and a General MIDI
# soundfont for /usr/share/sounds/sf2/default-GM.sf2.
RUNTIME_PACKAGES=(
  fontconfig fonts-wine fonts-dejavu-core
  timgm6mb-soundfont
)
# Compiling the game and its generators; dpkg-dev for dpkg-buildflags and
# `cpack -G DEB`'s dependency scan; the soundfont, with which the build records
# the music ahead.
BUILD_PACKAGES=(
  build-essential cmake pkg-config dpkg-dev timgm6mb-soundfont
  libsdl2-dev libsdl2-ttf-dev
  libfluidsynth-dev
  libjpeg-dev libpng-dev
  libsmf-dev libsndfile1-dev
  libfontconfig-dev
)
# The test suites, the end-to-end driver under Xvfb, the sanitizer build, the
# benchmarks, the metainfo check and the package's checks.
TEST_PACKAGES=(
  libgtest-dev libgmock-dev libbenchmark-dev
  xvfb xauth xdotool x11-utils libx11-dev strace openbox
  clang libclang-rt-14-dev
  appstream lintian desktop-file-utils
)
# The Windows program: cross-built with mingw-w64 (posix threads), packed by
# NSIS, run and tested under Wine (64-bit) with Debian's GoogleTest sources;
# GStreamer's FLAC decoder for Wine's Media Foundation, PulseAudio's null sink
# to hear what it plays.
WINDOWS_PACKAGES=(
  g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 nsis
  wine wine64 fonts-wine googletest
  gstreamer1.0-plugins-good pulseaudio pulseaudio-utils
)
# The page: Debian's emscripten (its system libraries prebuilt, so nothing is
# fetched), Node.js and npm for its tools and for the page's suite, whose
# puppeteer-core (npm, pinned in tests/web/package-lock.json) drives Debian's
# chromium. npm comes with the machine's Node.js where that is not Debian's
# own; Debian's npm package is asked for only when there is no npm at all.
WEB_PACKAGES=(emscripten nodejs chromium)
command -v npm >/dev/null 2>&1 || WEB_PACKAGES+=(npm)
# Tools that wrote the test corpus of foreign pictures, tunes and sounds
# (tests/corpus/make_corpus.sh); needed only to write it again.
CORPUS_TOOLS=(imagemagick netpbm sox libsox-fmt-base midicsv python3-mido abcmidi)

lists=("$@")
[ ${#lists[@]} -eq 0 ] && lists=(runtime build test)
wanted=()
for l in "${lists[@]}"; do
  case "$l" in
    runtime) wanted+=("${RUNTIME_PACKAGES[@]}") ;;
    build) wanted+=("${BUILD_PACKAGES[@]}") ;;
    test) wanted+=("${TEST_PACKAGES[@]}" "${CORPUS_TOOLS[@]}" "${WINDOWS_PACKAGES[@]}" "${WEB_PACKAGES[@]}") ;;
    windows) wanted+=("${WINDOWS_PACKAGES[@]}") ;;
    web) wanted+=("${WEB_PACKAGES[@]}") ;;
    *) echo "setup.sh: unknown list '$l' (runtime, build, windows, web or test)" >&2; exit 2 ;;
  esac
done

missing=()
for p in "${wanted[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -eq 0 ]; then SUDO=(); else SUDO=(sudo); fi
echo "Installing: ${missing[*]}"
"${SUDO[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -q
"${SUDO[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${missing[@]}"
