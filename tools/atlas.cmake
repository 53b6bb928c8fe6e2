# The web build's glyph atlas: the Linux program's text as data, written from
# its own text renderer. Built with the generators; the web build runs it.
tarvolen_generator(make_atlas ${CMAKE_CURRENT_LIST_DIR}/make_atlas.cpp)
if(NOT CMAKE_CROSSCOMPILING)
  target_link_libraries(make_atlas PRIVATE tarvolen_sdl tarvolen_toolkit tarvolen_game)
  set_target_properties(make_atlas PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})
endif()
