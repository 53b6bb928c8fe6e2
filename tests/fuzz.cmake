# Coverage-guided fuzzing with libFuzzer: the level-picture decoder, the MIDI
# reader (through to FluidSynth rendering what it accepts), the wave opener,
# the settings file, the page's glyph atlas, and the session journal replayed
# through the whole game.
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
  ${PROJECT_SOURCE_DIR}/platform/files/bmp_header.cpp
  ${PROJECT_SOURCE_DIR}/platform/files/picture_file.cpp
  ${PROJECT_SOURCE_DIR}/platform/files/file_read.cpp
  ${PROJECT_SOURCE_DIR}/platform/files/native_file_posix.cpp)
set(fuzz_headers
  ${PROJECT_SOURCE_DIR}/platform/files/bmp_header.h
  ${PROJECT_SOURCE_DIR}/platform/files/picture_file.h
  ${PROJECT_SOURCE_DIR}/platform/base/bitmap.h
  ${PROJECT_SOURCE_DIR}/platform/base/types.h
  ${PROJECT_SOURCE_DIR}/platform/base/exceptions.h)

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
    DEPENDS ${sources} ${PROJECT_SOURCE_DIR}/platform/sound/media_files.h
    COMMENT "Building the ${name} fuzzer with clang"
    COMMAND_EXPAND_LISTS VERBATIM)
  add_custom_target(${name} ALL DEPENDS ${bin})
  add_test(NAME ${name}
    COMMAND ${bin} -max_total_time=12 -seed=1 -max_len=4096 -rss_limit_mb=2048 -timeout=10
      -artifact_prefix=${fuzz_dir}/${name}- ${fuzz_dir}/${name}_corpus ${PROJECT_SOURCE_DIR}/tests/corpus/files)
  set_tests_properties(${name} PROPERTIES LABELS fuzz TIMEOUT 120)
endfunction()

tarvolen_media_fuzzer(midi_fuzz "-ldl;-lsndfile"
  ${PROJECT_SOURCE_DIR}/platform/sound/midi_file.cpp ${PROJECT_SOURCE_DIR}/platform/sound/media_files.cpp ${PROJECT_SOURCE_DIR}/platform/sound/recorded_music.cpp
  ${PROJECT_SOURCE_DIR}/platform/files/file_report.cpp ${PROJECT_SOURCE_DIR}/platform/files/atomic_file.cpp
  ${PROJECT_SOURCE_DIR}/platform/fluidsynth/synth.cpp ${PROJECT_SOURCE_DIR}/platform/files/file_read.cpp
  ${PROJECT_SOURCE_DIR}/platform/files/system.cpp ${PROJECT_SOURCE_DIR}/platform/files/system_posix.cpp
  ${PROJECT_SOURCE_DIR}/platform/files/late_library.cpp ${PROJECT_SOURCE_DIR}/platform/files/late_library_posix.cpp
  ${PROJECT_SOURCE_DIR}/platform/files/native_file_posix.cpp ${PROJECT_SOURCE_DIR}/platform/sound/recording_file_posix.cpp)
tarvolen_media_fuzzer(wave_fuzz "-lsndfile" ${PROJECT_SOURCE_DIR}/platform/sound/wave_file.cpp
  ${PROJECT_SOURCE_DIR}/platform/sound/wave_decoder_posix.cpp)

# The settings reader starts from a few files as a player or a newer version may leave them.
set(settings_fuzz_bin ${fuzz_dir}/settings_fuzz)
set(settings_fuzz_sources ${CMAKE_CURRENT_SOURCE_DIR}/fuzz/settings_fuzz.cpp ${PROJECT_SOURCE_DIR}/app/settings.cpp
  ${PROJECT_SOURCE_DIR}/platform/toolkit/view.cpp)
add_custom_command(OUTPUT ${settings_fuzz_bin}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${fuzz_dir}/settings_corpus
  COMMAND ${TARVOLEN_CLANGXX} -std=c++20 -g -O1
    -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined
    ${TARVOLEN_WARNINGS} -I${PROJECT_SOURCE_DIR} ${settings_fuzz_sources} -o ${settings_fuzz_bin}
  DEPENDS ${settings_fuzz_sources} ${PROJECT_SOURCE_DIR}/app/settings.h
    ${PROJECT_SOURCE_DIR}/platform/toolkit/view.h
  COMMENT "Building the settings fuzzer with clang"
  COMMAND_EXPAND_LISTS VERBATIM)
add_custom_target(settings_fuzz ALL DEPENDS ${settings_fuzz_bin})
add_test(NAME settings_fuzz
  COMMAND ${settings_fuzz_bin} -max_total_time=5 -seed=1 -max_len=8192 -rss_limit_mb=2048 -timeout=10
    -dict=${CMAKE_CURRENT_SOURCE_DIR}/fuzz/settings.dict -artifact_prefix=${fuzz_dir}/settings_fuzz-
    ${fuzz_dir}/settings_corpus ${CMAKE_CURRENT_SOURCE_DIR}/fuzz/settings_seeds)
set_tests_properties(settings_fuzz PROPERTIES LABELS fuzz TIMEOUT 60)

# The glyph atlas the page reads: seeded with the atlas the build's tool
# writes from the Linux renderer.
set(atlas_fuzz_bin ${fuzz_dir}/atlas_fuzz)
set(atlas_fuzz_sources ${CMAKE_CURRENT_SOURCE_DIR}/fuzz/atlas_fuzz.cpp
  ${PROJECT_SOURCE_DIR}/platform/toolkit/atlas_text.cpp ${PROJECT_SOURCE_DIR}/platform/toolkit/box_text.cpp)
add_custom_command(OUTPUT ${atlas_fuzz_bin}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${fuzz_dir}/atlas_corpus ${fuzz_dir}/atlas_seeds
  COMMAND ${TARVOLEN_CLANGXX} -std=c++20 -g -O1
    -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined
    ${TARVOLEN_WARNINGS} -I${PROJECT_SOURCE_DIR} ${atlas_fuzz_sources} -o ${atlas_fuzz_bin}
  DEPENDS ${atlas_fuzz_sources} ${PROJECT_SOURCE_DIR}/platform/toolkit/atlas_text.h
    ${PROJECT_SOURCE_DIR}/platform/toolkit/box_text.h
  COMMENT "Building the atlas fuzzer with clang"
  COMMAND_EXPAND_LISTS VERBATIM)
add_custom_command(OUTPUT ${fuzz_dir}/atlas_seeds/atlas
  COMMAND ${CMAKE_COMMAND} -E make_directory ${fuzz_dir}/atlas_seeds
  COMMAND ${CMAKE_COMMAND} -E env XDG_CACHE_HOME=${CMAKE_CURRENT_BINARY_DIR}/cache
    $<TARGET_FILE:make_atlas> ${fuzz_dir}/atlas_seeds/atlas
  DEPENDS make_atlas
  COMMENT "Writing the atlas fuzzer's seed" VERBATIM)
add_custom_target(atlas_fuzz ALL DEPENDS ${atlas_fuzz_bin} ${fuzz_dir}/atlas_seeds/atlas)
add_test(NAME atlas_fuzz
  COMMAND ${atlas_fuzz_bin} -max_total_time=5 -seed=1 -max_len=65536 -rss_limit_mb=2048 -timeout=10
    -artifact_prefix=${fuzz_dir}/atlas_fuzz- ${fuzz_dir}/atlas_corpus ${fuzz_dir}/atlas_seeds)
set_tests_properties(atlas_fuzz PROPERTIES LABELS fuzz TIMEOUT 60)

# The journal fuzzer replays through the whole game, so it compiles the game's
# sources itself: one object each, built in parallel and again only when the
# source or a header it includes changes.
set(journal_fuzz_bin ${fuzz_dir}/journal_fuzz)
set(journal_fuzz_objdir ${fuzz_dir}/journal_fuzz_objects)
file(GLOB journal_fuzz_sources CONFIGURE_DEPENDS
  ${PROJECT_SOURCE_DIR}/app/form1*.cpp ${PROJECT_SOURCE_DIR}/game/*.cpp ${PROJECT_SOURCE_DIR}/assets/*.cpp
  ${PROJECT_SOURCE_DIR}/platform/files/*.cpp ${PROJECT_SOURCE_DIR}/platform/toolkit/*.cpp
  ${PROJECT_SOURCE_DIR}/platform/sound/*.cpp ${PROJECT_SOURCE_DIR}/platform/headless/*.cpp)
list(FILTER journal_fuzz_sources EXCLUDE REGEX "_win32\\.cpp$")
list(APPEND journal_fuzz_sources ${TARVOLEN_BACKDROP_CPP}
  ${PROJECT_SOURCE_DIR}/platform/sdl/sdl_text.cpp ${PROJECT_SOURCE_DIR}/platform/sdl/fontconfig_match.cpp
  ${PROJECT_SOURCE_DIR}/platform/sdl/fontconfig_cache.cpp
  ${PROJECT_SOURCE_DIR}/platform/sdl/sdl_bmp.cpp ${CMAKE_CURRENT_SOURCE_DIR}/support/fake_media_control.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/fuzz/journal_fuzz.cpp)
set(journal_fuzz_objects)
foreach(source ${journal_fuzz_sources})
  file(RELATIVE_PATH name ${PROJECT_SOURCE_DIR} ${source})
  string(MAKE_C_IDENTIFIER ${name} name)
  set(object ${journal_fuzz_objdir}/${name}.o)
  add_custom_command(OUTPUT ${object}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${journal_fuzz_objdir}
    COMMAND ${TARVOLEN_CLANGXX} -std=c++20 -g -O1
      -fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined
      ${TARVOLEN_WARNINGS} -I${PROJECT_SOURCE_DIR} ${SDL2_CFLAGS} ${SDL2TTF_CFLAGS} ${FONTCONFIG_CFLAGS}
      -DTARVOLEN_DATA_DIR="${TARVOLEN_OUT}" -MD -MF ${object}.d -c ${source} -o ${object}
    DEPENDS ${source}
    DEPFILE ${object}.d
    COMMAND_EXPAND_LISTS VERBATIM)
  list(APPEND journal_fuzz_objects ${object})
endforeach()
add_custom_command(OUTPUT ${journal_fuzz_bin}
  COMMAND ${TARVOLEN_CLANGXX} -fsanitize=fuzzer,address,undefined ${journal_fuzz_objects}
    ${SDL2_LDFLAGS} -lsndfile -ldl -pthread -o ${journal_fuzz_bin}
  DEPENDS ${journal_fuzz_objects}
  COMMENT "Linking the journal fuzzer with clang"
  COMMAND_EXPAND_LISTS VERBATIM)

# The seeds: short sessions recorded by the game itself at build time.
add_executable(make_journal_seeds ${CMAKE_CURRENT_SOURCE_DIR}/fuzz/make_journal_seeds.cpp)
tarvolen_target(make_journal_seeds)
target_link_libraries(make_journal_seeds PRIVATE tarvolen_test_support)
set_target_properties(make_journal_seeds PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${fuzz_dir})
set(journal_seed_stamp ${fuzz_dir}/journal_seeds.stamp)
add_custom_command(OUTPUT ${journal_seed_stamp}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${fuzz_dir}/journal_seeds ${fuzz_dir}/journal_corpus
  COMMAND ${CMAKE_COMMAND} -E env SDL_AUDIODRIVER=dummy SDL_VIDEODRIVER=dummy
    $<TARGET_FILE:make_journal_seeds> ${fuzz_dir}/journal_seeds
  COMMAND ${CMAKE_COMMAND} -E touch ${journal_seed_stamp}
  DEPENDS make_journal_seeds
  COMMENT "Recording the journal fuzzer's seeds" VERBATIM)

add_custom_target(journal_fuzz ALL DEPENDS ${journal_fuzz_bin} ${journal_seed_stamp})
# The backdrop's source is generated; the level pictures are read beside the program.
add_dependencies(journal_fuzz tarvolen_backdrop tarvolen_data)
add_test(NAME journal_fuzz
  COMMAND ${journal_fuzz_bin} -max_total_time=20 -seed=1 -max_len=16384 -rss_limit_mb=2048 -timeout=10
    -dict=${CMAKE_CURRENT_SOURCE_DIR}/fuzz/journal.dict -artifact_prefix=${fuzz_dir}/journal_fuzz- ${fuzz_dir}/journal_corpus ${fuzz_dir}/journal_seeds)
set_tests_properties(journal_fuzz PROPERTIES LABELS fuzz TIMEOUT 120)
