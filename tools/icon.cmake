# The program icon as a PNG for the desktop entry, drawn from the same pixel table as the window icon.
add_executable(make_icon ${CMAKE_CURRENT_LIST_DIR}/make_icon.cpp ${PROJECT_SOURCE_DIR}/assets/pictures.cpp
  ${PROJECT_SOURCE_DIR}/assets/disc.cpp)
tarvolen_target(make_icon)
target_link_libraries(make_icon PRIVATE PNG::PNG)
set_target_properties(make_icon PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})

set(TARVOLEN_ICON_PNG ${CMAKE_CURRENT_BINARY_DIR}/tarvolen.png)
add_custom_command(OUTPUT ${TARVOLEN_ICON_PNG}
  COMMAND make_icon ${TARVOLEN_ICON_PNG}
  DEPENDS make_icon
  COMMENT "Drawing the icon" VERBATIM)
add_custom_target(tarvolen_icon ALL DEPENDS ${TARVOLEN_ICON_PNG})

install(FILES ${TARVOLEN_ICON_PNG} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/24x24/apps)
install(FILES ${PROJECT_SOURCE_DIR}/app/desktop/tarvolen.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
