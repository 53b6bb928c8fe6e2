# What the build needs for Debian's rules before any target exists: the flags
# of dpkg-buildflags on request, and compressed documentation.

# -DTARVOLEN_DEB_BUILDFLAGS=ON builds with the flags every Debian package gets
# from dpkg-buildflags, hardening included: fortified functions, the stack
# protector, format checks, relocations read-only and bound at start-up
# (relro, now); the compiler makes PIE by default. The environment's
# DEB_BUILD_MAINT_OPTIONS and DEB_*FLAGS_* still apply, as for any package.
if(TARVOLEN_DEB_BUILDFLAGS)
  find_program(DPKG_BUILDFLAGS dpkg-buildflags REQUIRED)
  if(NOT DEFINED ENV{DEB_BUILD_MAINT_OPTIONS})
    set(ENV{DEB_BUILD_MAINT_OPTIONS} hardening=+all)
  endif()
  foreach(kind CPPFLAGS CFLAGS CXXFLAGS LDFLAGS)
    # From the source directory, so that -ffile-prefix-map maps it to ".".
    execute_process(COMMAND ${DPKG_BUILDFLAGS} --get ${kind} WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
      OUTPUT_VARIABLE deb_${kind} OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
  endforeach()
  # CMake reads no CPPFLAGS: the preprocessor's flags go with each compiler's.
  string(APPEND CMAKE_C_FLAGS " ${deb_CPPFLAGS} ${deb_CFLAGS}")
  string(APPEND CMAKE_CXX_FLAGS " ${deb_CPPFLAGS} ${deb_CXXFLAGS}")
  string(APPEND CMAKE_EXE_LINKER_FLAGS " ${deb_LDFLAGS}")
endif()

# Writes SOURCE compressed, as Debian ships documentation (gzip -9, without
# name or time, so that two builds compare equal), to the current binary
# directory's gz/NAME.gz, made by TARGET (part of all). OUTPUT names the file.
find_program(GZIP gzip REQUIRED)
function(tarvolen_gzip target source name output)
  set(dir ${CMAKE_CURRENT_BINARY_DIR}/gz)
  add_custom_command(OUTPUT ${dir}/${name}.gz
    COMMAND ${CMAKE_COMMAND} -E make_directory ${dir}
    COMMAND ${CMAKE_COMMAND} -E copy ${source} ${dir}/${name}
    COMMAND ${GZIP} -9nf ${dir}/${name}
    DEPENDS ${source} VERBATIM)
  add_custom_target(${target} ALL DEPENDS ${dir}/${name}.gz)
  set(${output} ${dir}/${name}.gz PARENT_SCOPE)
endfunction()
