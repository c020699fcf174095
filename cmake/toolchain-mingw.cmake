# Windows DLLs with mingw-w64 (Debian's g++-mingw-w64-*-posix): 64-bit by
# default, 32-bit (the host's own width) with -DC4D_WINDOWS_ARCH=i686.
#
#   cmake -S . -B build-win64 -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-mingw.cmake
#   cmake -S . -B build-win32 -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-mingw.cmake -DC4D_WINDOWS_ARCH=i686
#
# cmake/windows.cmake does the rest once the project is configured: DLL
# names as the host loads them, one output folder, Wine to run the tests.
if(NOT C4D_WINDOWS_ARCH)
  set(C4D_WINDOWS_ARCH x86_64)
endif()
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES C4D_WINDOWS_ARCH)
set(C4D_MINGW_TRIPLE ${C4D_WINDOWS_ARCH}-w64-mingw32)

set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR ${C4D_WINDOWS_ARCH})
# The posix flavour: std::thread and std::mutex, which the platform layer uses.
set(CMAKE_C_COMPILER ${C4D_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${C4D_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${C4D_MINGW_TRIPLE}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${C4D_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
if(C4D_WINDOWS_ARCH STREQUAL "i686")
  # Floats in SSE registers, as the host's compiler keeps them (see
  # toolchain-linux-i686.cmake).
  set(CMAKE_C_FLAGS_INIT "-msse2 -mfpmath=sse")
  set(CMAKE_CXX_FLAGS_INIT "-msse2 -mfpmath=sse")
endif()
