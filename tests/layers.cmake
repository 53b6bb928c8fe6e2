# The layers point one way: the game's rules include nothing of the window
# class, the toolkit, the media player, the pictures or SDL.
add_test(NAME layers.GameIncludesOnlyItself
  COMMAND ${CMAKE_COMMAND} -DROOT=${PROJECT_SOURCE_DIR} -P ${CMAKE_CURRENT_LIST_DIR}/check_layers.cmake)
