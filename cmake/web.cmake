# The web page, built with Debian's emscripten:
#   emcmake cmake -S . -B build-web -DTARVOLEN_HOST_BUILD=<native build>
# Taken before any host library is looked for: emcmake would otherwise find
# the build machine's SDL2 and FluidSynth and link nothing that runs.
if(NOT EMSCRIPTEN)
  set(TARVOLEN_WEB OFF)
  return()
endif()
set(TARVOLEN_WEB ON)
set(TARVOLEN_INSTALL_DIR .)
set(TARVOLEN_BENCH OFF)
# The native suites need a native machine; the page's own suite runs in a
# browser against build-web/site (tests/web/).
set(TARVOLEN_NATIVE_TESTS OFF)
# Without -fexceptions this emscripten ignores exceptions: a throw aborts
# the page and the game's error boxes never show.
add_compile_options(-fexceptions)
add_link_options(-fexceptions)
# The file the page's folders are made from (app/web.cmake).
set(TARVOLEN_SITE ${CMAKE_BINARY_DIR}/site)
# This emscripten's optimising link runs its JavaScript tools under the
# machine's Node.js, which finds their modules (Debian's node-acorn) only
# through NODE_PATH: every link gets it, whoever starts the build.
set(CMAKE_CXX_LINKER_LAUNCHER ${CMAKE_COMMAND} -E env NODE_PATH=/usr/share/nodejs)
