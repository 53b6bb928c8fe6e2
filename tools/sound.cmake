# The music and the hit effect that lie beside the program, made by our own generators.
tarvolen_generator(make_music ${CMAKE_CURRENT_LIST_DIR}/make_music.cpp ${CMAKE_CURRENT_LIST_DIR}/music_score.cpp)
tarvolen_generator(make_hit ${CMAKE_CURRENT_LIST_DIR}/make_hit.cpp)
if(NOT CMAKE_CROSSCOMPILING)
  target_link_libraries(make_music PRIVATE PkgConfig::SMF tarvolen_files)
  target_link_libraries(make_hit PRIVATE PkgConfig::SNDFILE tarvolen_files)
  # Generators stay out of the program's directory.
  set_target_properties(make_music make_hit PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})
endif()

set(TARVOLEN_MUSIC_FILES)
foreach(n RANGE 0 8)
  list(APPEND TARVOLEN_MUSIC_FILES ${TARVOLEN_OUT}/${n}.mid)
endforeach()

add_custom_command(OUTPUT ${TARVOLEN_MUSIC_FILES}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${TARVOLEN_OUT}
  COMMAND ${TOOL_make_music} ${TARVOLEN_OUT}
  DEPENDS ${TOOL_make_music}
  COMMENT "Writing the music")
add_custom_command(OUTPUT ${TARVOLEN_OUT}/hit.wav
  COMMAND ${CMAKE_COMMAND} -E make_directory ${TARVOLEN_OUT}
  COMMAND ${TOOL_make_hit} ${TARVOLEN_OUT}/hit.wav
  DEPENDS ${TOOL_make_hit}
  COMMENT "Writing the hit effect")

add_custom_target(tarvolen_sound_files DEPENDS ${TARVOLEN_MUSIC_FILES} ${TARVOLEN_OUT}/hit.wav)
add_dependencies(tarvolen_data tarvolen_sound_files)
install(FILES ${TARVOLEN_MUSIC_FILES} ${TARVOLEN_OUT}/hit.wav DESTINATION ${TARVOLEN_INSTALL_DIR})

# The pieces recorded ahead with the game's own synthesiser, so the game plays
# them without synthesising (platform/sound/recorded_music.h).
tarvolen_generator(render_music ${CMAKE_CURRENT_LIST_DIR}/render_music.cpp)
if(NOT CMAKE_CROSSCOMPILING)
  target_link_libraries(render_music PRIVATE tarvolen_fluidsynth)
  set_target_properties(render_music PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})
endif()
add_custom_command(OUTPUT ${CMAKE_CURRENT_BINARY_DIR}/recordings.stamp
  COMMAND ${TOOL_render_music} ${TARVOLEN_OUT}
  COMMAND ${CMAKE_COMMAND} -E touch ${CMAKE_CURRENT_BINARY_DIR}/recordings.stamp
  BYPRODUCTS ${TARVOLEN_OUT}/recordings/index
  DEPENDS ${TOOL_render_music} ${TARVOLEN_MUSIC_FILES}
  COMMENT "Recording the music")
add_custom_target(tarvolen_recordings DEPENDS ${CMAKE_CURRENT_BINARY_DIR}/recordings.stamp)
add_dependencies(tarvolen_data tarvolen_recordings)
install(DIRECTORY ${TARVOLEN_OUT}/recordings DESTINATION ${TARVOLEN_INSTALL_DIR})
