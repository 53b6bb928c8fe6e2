# The notation of the music generator is tested with the rest of the suite.
target_sources(tarvolen_tests PRIVATE ${PROJECT_SOURCE_DIR}/tools/music_score.cpp)

# What actually comes out of the audio device: SDL's disk driver writes the
# mixed output to a file, fast. A process of its own, since SDL picks its
# audio driver once per process.
add_executable(tarvolen_sound_output_tests ${CMAKE_CURRENT_LIST_DIR}/sound/sound_output_test.cpp)
tarvolen_target(tarvolen_sound_output_tests)
target_link_libraries(tarvolen_sound_output_tests PRIVATE tarvolen_sdl tarvolen_headless GTest::gtest GTest::gtest_main)
target_compile_definitions(tarvolen_sound_output_tests PRIVATE TARVOLEN_DATA_DIR="${TARVOLEN_OUT}")
set_target_properties(tarvolen_sound_output_tests PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})
add_dependencies(tarvolen_sound_output_tests tarvolen_data)
add_test(NAME sound_output COMMAND tarvolen_sound_output_tests)
set_tests_properties(sound_output PROPERTIES LABELS sound TIMEOUT 600)

# The portable mixer and media layer, heard through the recording output.
target_sources(tarvolen_tests PRIVATE ${CMAKE_CURRENT_LIST_DIR}/sound/audio_mixer_test.cpp)
target_sources(tarvolen_tests PRIVATE ${CMAKE_CURRENT_LIST_DIR}/sound/portable_media_test.cpp)
