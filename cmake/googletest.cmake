# GoogleTest built from its sources with this build's compiler and flags,
# where the system's prebuilt library does not fit (a 32-bit or a Windows
# build). Debian's libgtest-dev brings the sources to /usr/src/googletest.
set(C4D_GTEST_SOURCE_DIR /usr/src/googletest/googletest CACHE PATH "GoogleTest's sources")
if(NOT EXISTS ${C4D_GTEST_SOURCE_DIR}/CMakeLists.txt)
  message(FATAL_ERROR "GoogleTest's sources are not in ${C4D_GTEST_SOURCE_DIR} (libgtest-dev)")
endif()
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(gtest_disable_pthreads OFF CACHE BOOL "" FORCE)
add_subdirectory(${C4D_GTEST_SOURCE_DIR} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
