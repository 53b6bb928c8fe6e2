# The page: build-web/site is a folder of static files any web server serves
# (index.html, the script, the WebAssembly, the packed files, the recordings).
set(web_dir ${PROJECT_SOURCE_DIR}/platform/web/shell)
set(data_dir ${CMAKE_BINARY_DIR}/data)

# The files beside the program, packed into tarvolen.data: the level
# pictures, the pieces and the hit effect gathered here, beside the
# recordings' index and the text's atlas the generators write (tools/).
set(data_files)
foreach(level RANGE 1 8)
  list(APPEND data_files ${level}.bmp)
endforeach()
foreach(n RANGE 0 8)
  list(APPEND data_files ${n}.mid)
endforeach()
list(APPEND data_files hit.wav)
set(data_copies)
foreach(f ${data_files})
  list(APPEND data_copies ${data_dir}/${f})
endforeach()
# Copied at every build, and only where they changed: the link is made again
# when one of them did (LINK_DEPENDS below).
add_custom_target(tarvolen_web_files
  COMMAND ${CMAKE_COMMAND} -E make_directory ${data_dir}
  COMMAND ${CMAKE_COMMAND} -E copy_if_different ${data_files} ${data_dir}
  WORKING_DIRECTORY ${TARVOLEN_OUT}
  COMMENT "Gathering the page's files" VERBATIM)
add_dependencies(tarvolen_web_files tarvolen_data)

add_executable(tarvolen main.cpp)
tarvolen_target(tarvolen)
target_link_libraries(tarvolen PRIVATE tarvolen_cli tarvolen_window tarvolen_web)
add_dependencies(tarvolen tarvolen_web_files)
set_target_properties(tarvolen PROPERTIES SUFFIX ".js" RUNTIME_OUTPUT_DIRECTORY ${TARVOLEN_SITE}
  LINK_DEPENDS "${web_dir}/page.js;${data_copies};${data_dir}/atlas;${TARVOLEN_WEB_INDEX}")
# ASYNCIFY: the game's waits yield to the browser (platform/web/web_page.cpp);
# its stack is saved whole, a box's loop inside a handler's included.
target_link_options(tarvolen PRIVATE
  -sASYNCIFY -sASYNCIFY_STACK_SIZE=131072
  -sALLOW_MEMORY_GROWTH=1 -sINITIAL_MEMORY=33554432
  -sENVIRONMENT=web -sFORCE_FILESYSTEM=1 -lidbfs.js
  "-sEXPORTED_FUNCTIONS=[_main,_malloc,_free]"
  "-sEXPORTED_RUNTIME_METHODS=[FS,addRunDependency,removeRunDependency,stringToUTF8]"
  --pre-js ${web_dir}/page.js
  --preload-file ${data_dir}@/tarvolen)

set(site_files ${TARVOLEN_SITE}/index.html ${TARVOLEN_SITE}/icon.png)
add_custom_command(OUTPUT ${site_files}
  COMMAND ${CMAKE_COMMAND} -E copy ${web_dir}/index.html ${TARVOLEN_SITE}/index.html
  COMMAND ${CMAKE_COMMAND} -E copy ${CMAKE_BINARY_DIR}/tools/icons/64x64/tarvolen.png ${TARVOLEN_SITE}/icon.png
  DEPENDS ${web_dir}/index.html tarvolen_icon
  COMMENT "Writing the page" VERBATIM)
add_custom_target(tarvolen_site ALL DEPENDS ${site_files})
add_dependencies(tarvolen tarvolen_site)
