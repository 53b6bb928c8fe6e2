# The page's recordings: the lossless ones encoded as Ogg Vorbis in level
# order, with their own index among the page's files (app/web.cmake packs it).
tarvolen_generator(make_web_music ${CMAKE_CURRENT_LIST_DIR}/make_web_music.cpp)
if(NOT CMAKE_CROSSCOMPILING)
  target_link_libraries(make_web_music PRIVATE tarvolen_sound PkgConfig::SNDFILE)
  set_target_properties(make_web_music PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})
endif()
if(NOT TARVOLEN_WEB)
  return()
endif()
set(TARVOLEN_WEB_INDEX ${CMAKE_BINARY_DIR}/data/recordings/index)
set(TARVOLEN_WEB_FRAMES ${CMAKE_BINARY_DIR}/recording_frames.txt)
set(TARVOLEN_WEB_INDEX ${TARVOLEN_WEB_INDEX} PARENT_SCOPE)
set(TARVOLEN_WEB_FRAMES ${TARVOLEN_WEB_FRAMES} PARENT_SCOPE)
add_custom_command(OUTPUT ${TARVOLEN_WEB_INDEX} ${TARVOLEN_WEB_FRAMES}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/data/recordings
  COMMAND ${TOOL_make_web_music} ${TARVOLEN_OUT} ${TARVOLEN_SITE}/recordings ${TARVOLEN_WEB_INDEX} ${TARVOLEN_WEB_FRAMES}
  DEPENDS ${TOOL_make_web_music} ${CMAKE_CURRENT_BINARY_DIR}/recordings.stamp
  COMMENT "Encoding the page's recordings" VERBATIM)
add_custom_target(tarvolen_web_music DEPENDS ${TARVOLEN_WEB_INDEX})
# The recordings' rule belongs to tarvolen_recordings alone: listed by two
# targets, a parallel build ran it twice at once, and a piece went unrecorded.
add_dependencies(tarvolen_web_music tarvolen_recordings)
add_dependencies(tarvolen_data tarvolen_web_music)
