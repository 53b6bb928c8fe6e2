# Cross-building the Windows program on Debian with mingw-w64:
#   cmake -S . -B build-win -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake -DTARVOLEN_HOST_BUILD=build
# The posix-thread compilers, for std::thread and std::mutex; libgcc, libstdc++
# and winpthread linked in, so the program imports Windows' own DLLs alone.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(TARVOLEN_MINGW x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${TARVOLEN_MINGW}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TARVOLEN_MINGW}-g++-posix)
set(CMAKE_RC_COMPILER ${TARVOLEN_MINGW}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${TARVOLEN_MINGW})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
# Tests and the test discovery run the Windows programs under Wine.
find_program(TARVOLEN_WINE NAMES wine64 wine)
if(TARVOLEN_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${TARVOLEN_WINE})
endif()
