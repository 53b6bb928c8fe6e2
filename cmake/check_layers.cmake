cmake_minimum_required(VERSION 3.20)
# The import graph has no arrow the wrong way. Run with -DROOT=<source dir> -DRULE=<name>:
#   game        a file in game/ includes only game/ and the standard library;
#   sdl         only platform/sdl/ includes SDL or SDL_ttf;
#   fluidsynth  only platform/fluidsynth/ includes FluidSynth;
#   app         app/ picks no backend but in main.cpp;
#   platform    platform/ includes no layer above it (app, game, assets, tools, tests);
#   toolkit     platform/toolkit/ includes no sound, no backend and no SDL;
#   sound       platform/sound/ includes no toolkit and no backend;
#   base        platform/base/ includes only itself, platform/files/ only base and itself;
#   web         only platform/web/ includes emscripten's headers: it alone calls JavaScript;
#   backend     each file of platform/sdl/ (a header with its source) includes SDL, X11 or
#               fontconfig, or says in a line "// Kept with the SDL backend: <why>" why it is
#               there: what every backend needs belongs in a portable room.
if(RULE STREQUAL "backend")
  file(GLOB files RELATIVE ${ROOT} ${ROOT}/platform/sdl/*.h ${ROOT}/platform/sdl/*.cpp)
  set(stems "")
  foreach(f ${files})
    string(REGEX REPLACE "\\.(h|cpp)$" "" stem "${f}")
    list(APPEND stems ${stem})
  endforeach()
  list(REMOVE_DUPLICATES stems)
  set(bad "")
  foreach(stem ${stems})
    set(ok FALSE)
    foreach(f ${stem}.h ${stem}.cpp)
      if(EXISTS ${ROOT}/${f})
        file(STRINGS ${ROOT}/${f} own REGEX
             "^[ \t]*#[ \t]*include[ \t]*[\"<](SDL|X11/|fontconfig/)|^// Kept with the SDL backend: ")
        if(own)
          set(ok TRUE)
        endif()
      endif()
    endforeach()
    if(NOT ok)
      string(APPEND bad "\n  ${stem}")
    endif()
  endforeach()
  if(bad)
    message(FATAL_ERROR "these files of platform/sdl/ include neither SDL, X11 nor fontconfig and do not say "
                        "why they are kept with the SDL backend (rule backend):${bad}")
  endif()
  return()
endif()

set(exempt "")
set(skip "^$")
set(wrapper_only "")
if(RULE STREQUAL "game")
  set(dirs game)
  set(pattern "[\"<](app|platform|assets|tools|tests)/|[\"<](SDL|fluidsynth)")
elseif(RULE STREQUAL "sdl")
  set(dirs app game assets platform tools tests bench)
  set(pattern "[\"<]SDL")
  set(skip "^platform/sdl/")
  # The bare SDL window that the game's start-up is measured against, and the
  # backend's probe, which plays SDL's virtual game controller.
  set(exempt bench/sdl_floor.cpp tests/e2e/sdl_probe.cpp)
elseif(RULE STREQUAL "fluidsynth")
  set(dirs app game assets platform tools tests bench)
  set(pattern "[\"<]fluidsynth")
  set(skip "^platform/fluidsynth/")
  # It judges FluidSynth's own set-ups, so it calls FluidSynth itself.
  set(exempt bench/synth_compare.cpp)
elseif(RULE STREQUAL "windows")
  set(dirs app game assets platform tools tests bench)
  set(pattern "[\"<](windows|winuser|wingdi|mmsystem|mmreg|msacm|wincodec|mfapi|mfidl|mfreadwrite|mferror|xinput|shellapi|shlobj|knownfolders|objbase|dbt)\\.h|[\"<]platform/files/windows_api\\.h")
  # The Windows build's own files: platform/win32/ and any room's *_win32.*;
  # even they reach <windows.h> only through the wrapper, which keeps its
  # macros off the game's names.
  set(skip "^platform/win32/|_win32\\.(cpp|h)$|^platform/files/windows_api\\.h$")
  set(wrapper_only "[\"<]windows\\.h")
elseif(RULE STREQUAL "web")
  set(dirs app game assets platform tools tests bench)
  set(pattern "[\"<]emscripten[./]")
  set(skip "^platform/web/")
elseif(RULE STREQUAL "app")
  set(dirs app)
  set(pattern "[\"<]platform/(sdl|headless|win32|web)/")
  # The program picks its machine's backend (SDL's, Windows' or the page's), or the headless one for a replay.
  set(exempt app/main.cpp)
elseif(RULE STREQUAL "platform")
  set(dirs platform)
  set(pattern "[\"<](app|game|assets|tools|tests)/")
elseif(RULE STREQUAL "toolkit")
  set(dirs platform/toolkit)
  # Its pad keys, own keys and message box are every backend's: SDL is one of them.
  set(pattern "[\"<](platform/(sound|sdl|fluidsynth|headless|win32|web)/|SDL)")
elseif(RULE STREQUAL "sound")
  set(dirs platform/sound)
  set(pattern "[\"<]platform/(toolkit|sdl|fluidsynth|headless|win32|web)/")
elseif(RULE STREQUAL "base")
  set(dirs platform/base platform/files)
  set(pattern "[\"<]platform/(toolkit|sound|sdl|fluidsynth|headless|win32|web)/")
else()
  message(FATAL_ERROR "unknown RULE '${RULE}'")
endif()

set(bad "")
foreach(dir ${dirs})
  file(GLOB_RECURSE files RELATIVE ${ROOT} ${ROOT}/${dir}/*.h ${ROOT}/${dir}/*.hpp ${ROOT}/${dir}/*.cpp
       ${ROOT}/${dir}/*.cc)
  foreach(f ${files})
    if(f IN_LIST exempt)
      continue()
    endif()
    if(f MATCHES "${skip}")
      if(wrapper_only AND NOT f STREQUAL "platform/files/windows_api.h")
        file(STRINGS ${ROOT}/${f} lines REGEX "^[ \t]*#[ \t]*include[ \t]*[\"<]windows\\.h")
        foreach(line ${lines})
          string(APPEND bad "\n  ${f}: ${line} (through platform/files/windows_api.h)")
        endforeach()
      endif()
      continue()
    endif()
    file(STRINGS ${ROOT}/${f} lines REGEX "^[ \t]*#[ \t]*include")
    foreach(line ${lines})
      if(line MATCHES "${pattern}" OR (f MATCHES "^platform/base/" AND line MATCHES "[\"<]platform/files/"))
        string(APPEND bad "\n  ${f}: ${line}")
      endif()
    endforeach()
  endforeach()
endforeach()
if(bad)
  message(FATAL_ERROR "an include points the wrong way (rule ${RULE}):${bad}")
endif()
