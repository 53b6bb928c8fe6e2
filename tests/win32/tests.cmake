# The Windows program's tests: the portable suites as they are, and the cases
# for what Windows itself brings (tests/win32/*_test.cpp), built with
# GoogleTest from Debian's sources and run under Wine (CMAKE_CROSSCOMPILING_EMULATOR).
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)

# Wine sees the build machine's root as drive Z:.
set(win_out "Z:${TARVOLEN_OUT}")

file(GLOB SUPPORT_SRC CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/tests/support/*.cpp)
add_library(tarvolen_test_support STATIC ${SUPPORT_SRC})
tarvolen_target(tarvolen_test_support)
target_link_libraries(tarvolen_test_support PUBLIC tarvolen_window tarvolen_win32 tarvolen_headless)
target_compile_definitions(tarvolen_test_support PUBLIC TARVOLEN_DATA_DIR="${win_out}")

# The suites that run on any machine: the rules, the toolkit, the flows and
# the storm on the headless backend, journals replayed, the media player and the mixer.
set(portable_suites computer flight journal menu outcome placement rules setup soak state storm toolkit
  media_player music_score)
set(suites)
foreach(s ${portable_suites})
  list(APPEND suites ${PROJECT_SOURCE_DIR}/tests/${s}_test.cpp)
endforeach()
file(GLOB windows_suites CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/*_test.cpp)
add_executable(tarvolen_tests ${suites} ${windows_suites}
  ${PROJECT_SOURCE_DIR}/tests/sound/audio_mixer_test.cpp ${PROJECT_SOURCE_DIR}/tests/sound/portable_media_test.cpp
  ${PROJECT_SOURCE_DIR}/tools/music_score.cpp)
tarvolen_target(tarvolen_tests)
target_link_libraries(tarvolen_tests PRIVATE tarvolen_test_support tarvolen_cli gtest gmock gtest_main)
add_dependencies(tarvolen_tests tarvolen_data)
target_compile_definitions(tarvolen_tests PRIVATE TARVOLEN_CORPUS_DIR="Z:${PROJECT_SOURCE_DIR}/tests/corpus/files")
gtest_discover_tests(tarvolen_tests DISCOVERY_TIMEOUT 120 PROPERTIES LABELS windows)

# The end-to-end test: the setup program (cpack, before ctest) installed and
# the installed program played, driven by the native build's Linux program.
if(NOT EXISTS ${TARVOLEN_HOST_BUILD}/tarvolen_host_tests.cmake)
  message(FATAL_ERROR "The Windows program's end-to-end test is built by the native build with its tests on "
    "(-DTARVOLEN_TESTS=ON in ${TARVOLEN_HOST_BUILD}).")
endif()
include(${TARVOLEN_HOST_BUILD}/tarvolen_host_tests.cmake)
add_test(NAME windows_e2e COMMAND ${TARVOLEN_HOST_windows_e2e})
set_tests_properties(windows_e2e PROPERTIES LABELS "windows;e2e" TIMEOUT 600 RUN_SERIAL ON
  ENVIRONMENT "TARVOLEN_SETUP=${CMAKE_BINARY_DIR}/Tarvolen-${PROJECT_VERSION}-win64-setup.exe")

# The program imports Windows' own DLLs alone (cmake/check_imports.cmake).
find_program(TARVOLEN_OBJDUMP NAMES ${TARVOLEN_MINGW}-objdump REQUIRED)
add_test(NAME windows.ProgramImportsOnlyWindowsDlls
  COMMAND ${CMAKE_COMMAND} -DPROGRAM=$<TARGET_FILE:tarvolen> -DOBJDUMP=${TARVOLEN_OBJDUMP}
    -P ${PROJECT_SOURCE_DIR}/cmake/check_imports.cmake)
