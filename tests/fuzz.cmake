# Coverage-guided fuzzing with libFuzzer: the level-picture decoder, the MIDI
# reader (through to FluidSynth rendering what it accepts) and the wave opener.
#
# libFuzzer comes with clang, not with the compiler that builds the rest, so
# the fuzzer is compiled by a custom command that calls clang++ on the few
# sources it needs. It carries its own AddressSanitizer and
# UndefinedBehaviorSanitizer, so the sanitizer build does not run it again.
find_program(TARVOLEN_CLANGXX NAMES clang++ clang++-14)
if(NOT TARVOLEN_CLANGXX)
  message(STATUS "clang++ not found: the fuzzers are not built")
  return()
endif()
if(TARVOLEN_SANITIZE)
  return()
endif()

set(fuzz_dir ${CMAKE_CURRENT_BINARY_DIR}/fuzz)
set(fuzz_bin ${fuzz_dir}/picture_fuzz)
set(fuzz_sources
  ${CMAKE_CURRENT_SOURCE_DIR}/fuzz/picture_fuzz.cpp
  ${PROJECT_SOURCE_DIR}/platform/sdl/sdl_bmp.cpp
  ${PROJECT_SOURCE_DIR}/platform/picture_file.cpp
  ${PROJECT_SOURCE_DIR}/platform/file_read.cpp)
set(fuzz_headers
  ${PROJECT_SOURCE_DIR}/platform/picture_file.h
  ${PROJECT_SOURCE_DIR}/platform/bitmap.h
  ${PROJECT_SOURCE_DIR}/platform/types.h
  ${PROJECT_SOURCE_DIR}/platform/exceptions.h)

add_custom_command(OUTPUT ${fuzz_bin}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${fuzz_dir}
  COMMAND ${TARVOLEN_CLANGXX} -std=c++20 -g -O1
    -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined
    ${TARVOLEN_WARNINGS} -I${PROJECT_SOURCE_DIR} ${SDL2_CFLAGS}
    ${fuzz_sources} ${SDL2_LDFLAGS} -o ${fuzz_bin}
  DEPENDS ${fuzz_sources} ${fuzz_headers}
  COMMENT "Building the picture fuzzer with clang"
  COMMAND_EXPAND_LISTS VERBATIM)

# The seed corpus: one small valid file of each layout.
add_executable(picture_fuzz_seeds ${CMAKE_CURRENT_SOURCE_DIR}/fuzz/make_seeds.cpp)
tarvolen_target(picture_fuzz_seeds)
set_target_properties(picture_fuzz_seeds PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${fuzz_dir})
set(fuzz_seed_stamp ${fuzz_dir}/seeds.stamp)
add_custom_command(OUTPUT ${fuzz_seed_stamp}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${fuzz_dir}/seeds ${fuzz_dir}/corpus
  COMMAND picture_fuzz_seeds ${fuzz_dir}/seeds
  COMMAND ${CMAKE_COMMAND} -E touch ${fuzz_seed_stamp}
  DEPENDS picture_fuzz_seeds
  COMMENT "Writing the picture fuzzer's seeds" VERBATIM)

add_custom_target(picture_fuzz ALL DEPENDS ${fuzz_bin} ${fuzz_seed_stamp})

# New finds go to corpus/, crashes to fuzz/ (as crash-*), never to the source tree.
add_test(NAME picture_fuzz
  COMMAND ${fuzz_bin} -max_total_time=25 -seed=1 -rss_limit_mb=2048 -timeout=10
    -artifact_prefix=${fuzz_dir}/ ${fuzz_dir}/corpus ${fuzz_dir}/seeds)
set_tests_properties(picture_fuzz PROPERTIES LABELS fuzz TIMEOUT 120)

# The media fuzzers start from the corpus of files other tools wrote.
function(tarvolen_media_fuzzer name libs)
  set(bin ${fuzz_dir}/${name})
  set(sources ${CMAKE_CURRENT_SOURCE_DIR}/fuzz/${name}.cpp ${ARGN})
  add_custom_command(OUTPUT ${bin}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${fuzz_dir}/${name}_corpus
    COMMAND ${TARVOLEN_CLANGXX} -std=c++20 -g -O1
      -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined
      ${TARVOLEN_WARNINGS} -I${PROJECT_SOURCE_DIR} ${sources} ${libs} -o ${bin}
    DEPENDS ${sources} ${PROJECT_SOURCE_DIR}/platform/media_files.h
    COMMENT "Building the ${name} fuzzer with clang"
    COMMAND_EXPAND_LISTS VERBATIM)
  add_custom_target(${name} ALL DEPENDS ${bin})
  add_test(NAME ${name}
    COMMAND ${bin} -max_total_time=12 -seed=1 -max_len=4096 -rss_limit_mb=2048 -timeout=10
      -artifact_prefix=${fuzz_dir}/${name}- ${fuzz_dir}/${name}_corpus ${PROJECT_SOURCE_DIR}/tests/corpus/files)
  set_tests_properties(${name} PROPERTIES LABELS fuzz TIMEOUT 120)
endfunction()

tarvolen_media_fuzzer(midi_fuzz "-lfluidsynth;-lsndfile"
  ${PROJECT_SOURCE_DIR}/platform/midi_file.cpp ${PROJECT_SOURCE_DIR}/platform/media_files.cpp ${PROJECT_SOURCE_DIR}/platform/recorded_music.cpp
  ${PROJECT_SOURCE_DIR}/platform/file_report.cpp ${PROJECT_SOURCE_DIR}/platform/sdl/sdl_media_midi.cpp
  ${PROJECT_SOURCE_DIR}/platform/sdl/sdl_soundfont_subset.cpp ${PROJECT_SOURCE_DIR}/platform/file_read.cpp
  ${PROJECT_SOURCE_DIR}/platform/system.cpp)
tarvolen_media_fuzzer(wave_fuzz "-lsndfile" ${PROJECT_SOURCE_DIR}/platform/wave_file.cpp)
