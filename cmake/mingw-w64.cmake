# Cross-builds 64-bit Windows programs on Debian with MinGW-w64:
#   cmake -B build-windows -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake
# The -posix compilers give std::thread (the block writer of comtrade/file_io.cpp
# needs it); the C and C++ runtimes and winpthread are linked in, so every
# program imports only DLLs that come with Windows. CTest runs programs under
# Wine.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(VELK_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${VELK_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${VELK_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${VELK_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${VELK_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# Wine runs the test programs, also while CMake lists their tests at build
# time, in a prefix of the build folder's own: never the user's ~/.wine.
# run-under-wine.sh keeps Wine's messages out of what a program prints, tries
# a start that Wine itself failed again, and shows Wine's errors when a
# program fails.
find_program(VELK_WINE wine)
if(VELK_WINE)
  set(VELK_WINEPREFIX "${CMAKE_BINARY_DIR}/wine-prefix" CACHE PATH "Wine prefix of the tests")
  set(CMAKE_CROSSCOMPILING_EMULATOR env WINEPREFIX=${VELK_WINEPREFIX} VELK_WINE=${VELK_WINE}
      ${CMAKE_CURRENT_LIST_DIR}/run-under-wine.sh)
endif()
