# The program icon as PNGs for the desktop's icon theme, drawn from the same
# pixel table as the window icon and written by the program's own PNG writer.
tarvolen_generator(make_icon ${CMAKE_CURRENT_LIST_DIR}/make_icon.cpp ${PROJECT_SOURCE_DIR}/assets/pictures.cpp
  ${PROJECT_SOURCE_DIR}/assets/disc.cpp)
if(NOT CMAKE_CROSSCOMPILING)
  target_link_libraries(make_icon PRIVATE tarvolen_files)
  set_target_properties(make_icon PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})
endif()

set(TARVOLEN_ICON_SIZES 24 32 48 64 128 256)
set(icon_dir ${CMAKE_CURRENT_BINARY_DIR}/icons)
set(icon_files)
foreach(size ${TARVOLEN_ICON_SIZES})
  list(APPEND icon_files ${icon_dir}/${size}x${size}/tarvolen.png)
endforeach()
set(ico_args)
if(WIN32)
  # The Windows program's icon resource, from the same pixels (app/windows.cmake).
  set(ico_args --ico ${icon_dir}/tarvolen.ico)
  list(APPEND icon_files ${icon_dir}/tarvolen.ico)
endif()
add_custom_command(OUTPUT ${icon_files}
  COMMAND ${TOOL_make_icon} ${icon_dir} ${TARVOLEN_ICON_SIZES} ${ico_args}
  DEPENDS ${TOOL_make_icon}
  COMMENT "Drawing the icons" VERBATIM)
add_custom_target(tarvolen_icon ALL DEPENDS ${icon_files})

if(NOT WIN32)
foreach(size ${TARVOLEN_ICON_SIZES})
  install(FILES ${icon_dir}/${size}x${size}/tarvolen.png
    DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
endforeach()
endif()
