# The layers point one way: app -> game, assets -> platform's rooms -> the
# backends, and the backends only through the toolkit's and sound's
# interfaces. Each rule is its own test (cmake/check_layers.cmake).
foreach(rule_test "game;GameIncludesOnlyItself" "sdl;OnlyTheSdlBackendIncludesSdl" "app;OnlyMainPicksABackend"
                  "fluidsynth;OnlyTheSynthesiserIncludesFluidSynth" "platform;PlatformIncludesNoUpperLayer"
                  "toolkit;ToolkitIncludesNoSound" "sound;SoundIncludesNoToolkit"
                  "base;BaseAndFilesIncludeNothingAbove" "backend;EverySdlFileIsTheBackendsOwn"
                  "windows;OnlyWindowsFilesIncludeWindows" "web;OnlyThePageCallsJavaScript")
  list(GET rule_test 0 rule)
  list(GET rule_test 1 name)
  add_test(NAME layers.${name}
    COMMAND ${CMAKE_COMMAND} -DROOT=${PROJECT_SOURCE_DIR} -DRULE=${rule} -P ${PROJECT_SOURCE_DIR}/cmake/check_layers.cmake)
endforeach()

# What the program loads itself when first needed (SDL_ttf, fontconfig, libjpeg,
# libpng, FluidSynth) is not linked to it (cmake/check_needed.cmake).
add_test(NAME layers.ProgramLinksNoLateLibrary
  COMMAND ${CMAKE_COMMAND} -DPROGRAM=$<TARGET_FILE:tarvolen> -DREADELF=${CMAKE_READELF}
    -P ${PROJECT_SOURCE_DIR}/cmake/check_needed.cmake)
