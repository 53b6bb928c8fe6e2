# End-to-end: the real program and the SDL backend on a private Xvfb server,
# driven with xdotool and libX11. Label e2e; needs the xvfb and xdotool packages.
find_package(X11 REQUIRED)

add_library(tarvolen_x11_driver STATIC
  ${CMAKE_CURRENT_LIST_DIR}/e2e/x11_driver.cpp
  ${CMAKE_CURRENT_LIST_DIR}/e2e/x11_windows.cpp
  ${CMAKE_CURRENT_LIST_DIR}/e2e/x11_input.cpp
  ${CMAKE_CURRENT_LIST_DIR}/e2e/process.cpp
  ${CMAKE_CURRENT_LIST_DIR}/e2e/screenshot_png.cpp)
tarvolen_target(tarvolen_x11_driver)
target_link_libraries(tarvolen_x11_driver PUBLIC X11::X11 PRIVATE tarvolen_files)

# A stand-in program over the SDL backend alone; also for looking by hand.
add_executable(tarvolen_sdl_probe ${CMAKE_CURRENT_LIST_DIR}/e2e/sdl_probe.cpp)
tarvolen_target(tarvolen_sdl_probe)
target_link_libraries(tarvolen_sdl_probe PRIVATE tarvolen_sdl PkgConfig::SDL2)
set_target_properties(tarvolen_sdl_probe PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})

file(GLOB E2E_SRC CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/e2e/*_e2e.cpp)
add_executable(tarvolen_e2e ${E2E_SRC})
tarvolen_target(tarvolen_e2e)
target_link_libraries(tarvolen_e2e PRIVATE tarvolen_x11_driver GTest::gtest GTest::gtest_main)
set_target_properties(tarvolen_e2e PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})
target_compile_definitions(tarvolen_e2e PRIVATE
  TARVOLEN_PROGRAM="$<TARGET_FILE:tarvolen>"
  TARVOLEN_SDL_PROBE="$<TARGET_FILE:tarvolen_sdl_probe>")
add_dependencies(tarvolen_e2e tarvolen tarvolen_data tarvolen_sdl_probe)
gtest_discover_tests(tarvolen_e2e DISCOVERY_TIMEOUT 60
  PROPERTIES LABELS e2e TIMEOUT 180 ENVIRONMENT "XDG_CACHE_HOME=${CMAKE_CURRENT_BINARY_DIR}/cache")

# The Windows program's end-to-end test is a Linux program too: it installs
# and drives the Windows program under Wine on Xvfb and holds its menu against
# this build's program. The Windows build runs it (tests/win32/tests.cmake).
add_executable(tarvolen_windows_e2e ${PROJECT_SOURCE_DIR}/tests/win32/windows_e2e.cpp)
tarvolen_target(tarvolen_windows_e2e)
target_link_libraries(tarvolen_windows_e2e PRIVATE tarvolen_x11_driver GTest::gtest GTest::gtest_main PkgConfig::SNDFILE)
set_target_properties(tarvolen_windows_e2e PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})
target_compile_definitions(tarvolen_windows_e2e PRIVATE TARVOLEN_PROGRAM="wine"
  TARVOLEN_LINUX_PROGRAM="$<TARGET_FILE:tarvolen>")
add_dependencies(tarvolen_windows_e2e tarvolen tarvolen_data)
file(GENERATE OUTPUT ${CMAKE_BINARY_DIR}/tarvolen_host_tests.cmake
  CONTENT "set(TARVOLEN_HOST_windows_e2e \"$<TARGET_FILE:tarvolen_windows_e2e>\")\n")
