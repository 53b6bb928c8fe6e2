# Pictures: the backdrop, generated and then built into the program, and the
# right-hand launcher's picture for each level, written beside the program.

# The generators run at build time only; keep them out of the program's directory.
set(pictures_tool_dir ${CMAKE_CURRENT_BINARY_DIR}/pictures)

tarvolen_generator(make_backdrop ${CMAKE_CURRENT_SOURCE_DIR}/make_backdrop.cpp)
tarvolen_generator(embed ${CMAKE_CURRENT_SOURCE_DIR}/embed.cpp)
tarvolen_generator(make_levels ${CMAKE_CURRENT_SOURCE_DIR}/make_levels.cpp ${PROJECT_SOURCE_DIR}/assets/disc.cpp)
if(NOT CMAKE_CROSSCOMPILING)
  target_link_libraries(make_backdrop PRIVATE JPEG::JPEG tarvolen_files)
  target_link_libraries(embed PRIVATE tarvolen_files)
  target_link_libraries(make_levels PRIVATE tarvolen_files)
  set_target_properties(make_backdrop embed make_levels PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${pictures_tool_dir})
endif()

# The backdrop: JPEG, then a C++ source holding its bytes, compiled into
# tarvolen_assets (assets/CMakeLists.txt picks it up by this variable).
set(backdrop_jpg ${pictures_tool_dir}/backdrop.jpg)
set(TARVOLEN_BACKDROP_CPP ${CMAKE_CURRENT_BINARY_DIR}/generated/backdrop_jpeg.cpp)
set(TARVOLEN_BACKDROP_CPP ${TARVOLEN_BACKDROP_CPP} PARENT_SCOPE)
add_custom_command(OUTPUT ${backdrop_jpg}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${pictures_tool_dir}
  COMMAND ${TOOL_make_backdrop} ${backdrop_jpg}
  DEPENDS ${TOOL_make_backdrop}
  COMMENT "Drawing the backdrop" VERBATIM)
add_custom_command(OUTPUT ${TARVOLEN_BACKDROP_CPP}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_CURRENT_BINARY_DIR}/generated
  COMMAND ${TOOL_embed} ${backdrop_jpg} ${TARVOLEN_BACKDROP_CPP} tv kBackdropJpeg
  DEPENDS ${TOOL_embed} ${backdrop_jpg}
  COMMENT "Embedding the backdrop" VERBATIM)
add_custom_target(tarvolen_backdrop DEPENDS ${TARVOLEN_BACKDROP_CPP})

# 1.bmp .. 8.bmp beside the program.
set(level_pictures)
foreach(level RANGE 1 8)
  list(APPEND level_pictures ${TARVOLEN_OUT}/${level}.bmp)
endforeach()
add_custom_command(OUTPUT ${level_pictures}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${TARVOLEN_OUT}
  COMMAND ${TOOL_make_levels} ${TARVOLEN_OUT}
  DEPENDS ${TOOL_make_levels}
  COMMENT "Drawing the level pictures" VERBATIM)
add_custom_target(tarvolen_level_pictures DEPENDS ${level_pictures})
add_dependencies(tarvolen_data tarvolen_level_pictures)
install(FILES ${level_pictures} DESTINATION ${TARVOLEN_INSTALL_DIR})
