# The program icon as PNGs for the desktop's icon theme, drawn from the same
# pixel table as the window icon and written by the program's own PNG writer.
add_executable(make_icon ${CMAKE_CURRENT_LIST_DIR}/make_icon.cpp ${PROJECT_SOURCE_DIR}/assets/pictures.cpp
  ${PROJECT_SOURCE_DIR}/assets/disc.cpp)
tarvolen_target(make_icon)
target_link_libraries(make_icon PRIVATE tarvolen_files)
set_target_properties(make_icon PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})

set(TARVOLEN_ICON_SIZES 24 32 48 64 128 256)
set(icon_dir ${CMAKE_CURRENT_BINARY_DIR}/icons)
set(icon_files)
foreach(size ${TARVOLEN_ICON_SIZES})
  list(APPEND icon_files ${icon_dir}/${size}x${size}/tarvolen.png)
endforeach()
add_custom_command(OUTPUT ${icon_files}
  COMMAND make_icon ${icon_dir} ${TARVOLEN_ICON_SIZES}
  DEPENDS make_icon
  COMMENT "Drawing the icons" VERBATIM)
add_custom_target(tarvolen_icon ALL DEPENDS ${icon_files})

foreach(size ${TARVOLEN_ICON_SIZES})
  install(FILES ${icon_dir}/${size}x${size}/tarvolen.png
    DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
endforeach()
