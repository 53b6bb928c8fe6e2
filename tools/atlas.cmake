# The web build's glyph atlas: the Linux program's text as data, written from
# its own text renderer. Built with the generators; the web build runs it.
tarvolen_generator(make_atlas ${CMAKE_CURRENT_LIST_DIR}/make_atlas.cpp)
if(NOT CMAKE_CROSSCOMPILING)
  target_link_libraries(make_atlas PRIVATE tarvolen_sdl tarvolen_toolkit tarvolen_game)
  set_target_properties(make_atlas PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})
endif()

# The page's copy, packed among its files (app/web.cmake). Fonts are looked up
# with a cache of the build's own, not the builder's.
if(TARVOLEN_WEB)
  set(atlas ${CMAKE_BINARY_DIR}/data/atlas)
  add_custom_command(OUTPUT ${atlas}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/data
    COMMAND ${CMAKE_COMMAND} -E env XDG_CACHE_HOME=${CMAKE_BINARY_DIR}/cache ${TOOL_make_atlas} ${atlas}
    DEPENDS ${TOOL_make_atlas}
    COMMENT "Drawing the text's atlas with the Linux program's renderer" VERBATIM)
  add_custom_target(tarvolen_web_atlas DEPENDS ${atlas})
  add_dependencies(tarvolen_data tarvolen_web_atlas)
endif()
