cmake_minimum_required(VERSION 3.20)
# The import graph has no arrow upward. Run with -DROOT=<source dir> -DRULE=<name>:
#   game      a file in game/ includes only game/ and the standard library;
#   toolkit   only platform/sdl/ includes SDL, SDL_ttf or FluidSynth;
#   platform  platform/ outside its backends includes no upper layer.
set(exempt "")
if(RULE STREQUAL "game")
  set(dirs game)
  set(pattern "[\"<](app|platform|media|assets|tools|tests)/|[\"<](SDL|fluidsynth)")
elseif(RULE STREQUAL "toolkit")
  set(dirs app game media assets platform tools tests bench)
  set(pattern "[\"<](SDL|fluidsynth)")
  # These two judge FluidSynth's own output (its settings; the sound font cut
  # to the game's presets against the whole font), so they call it themselves;
  # the third is the bare SDL window the game's start-up is measured against.
  set(exempt bench/synth_compare.cpp tests/soundfont_subset_test.cpp bench/sdl_floor.cpp)
elseif(RULE STREQUAL "platform")
  set(dirs platform)
  set(pattern "[\"<](app|game|media|assets|tools|tests)/")
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
    # The backends themselves are below the toolkit.
    if(f MATCHES "^platform/sdl/" OR (RULE STREQUAL "platform" AND f MATCHES "^platform/headless/"))
      continue()
    endif()
    file(STRINGS ${ROOT}/${f} lines REGEX "^[ \t]*#[ \t]*include")
    foreach(line ${lines})
      if(line MATCHES "${pattern}")
        string(APPEND bad "\n  ${f}: ${line}")
      endif()
    endforeach()
  endforeach()
endforeach()
if(bad)
  message(FATAL_ERROR "an include points the wrong way (rule ${RULE}):${bad}")
endif()
