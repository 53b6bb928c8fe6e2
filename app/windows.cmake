# The Windows program: a GUI program (no console window of its own; it
# attaches to the one it was started from), with its icon, version and
# manifest as resources. Installed flat: the program and its files together.
set(TARVOLEN_ICO ${CMAKE_BINARY_DIR}/tools/icons/tarvolen.ico)
configure_file(${PROJECT_SOURCE_DIR}/platform/win32/tarvolen.rc.in ${CMAKE_CURRENT_BINARY_DIR}/tarvolen.rc @ONLY)
set_source_files_properties(${CMAKE_CURRENT_BINARY_DIR}/tarvolen.rc PROPERTIES
  OBJECT_DEPENDS "${TARVOLEN_ICO};${PROJECT_SOURCE_DIR}/platform/win32/tarvolen.manifest")

add_executable(tarvolen WIN32 main.cpp ${CMAKE_CURRENT_BINARY_DIR}/tarvolen.rc)
tarvolen_target(tarvolen)
target_link_libraries(tarvolen PRIVATE tarvolen_cli tarvolen_window tarvolen_win32)
add_dependencies(tarvolen tarvolen_data tarvolen_icon)
install(TARGETS tarvolen RUNTIME DESTINATION .)
