# The rest of a Windows build (cmake/toolchain-mingw.cmake), included before
# any target is made.

# The DLLs under the names the host loads (Orbek_QEL_Server_C4D.dll), and
# every DLL and program in one folder: Windows finds a program's DLLs beside
# it. The resource libraries go to bin/resources (standin/CMakeLists.txt):
# beside the module, Orbek_QEL_SERVER_C4D.dll would be the module itself,
# as Windows compares file names without case.
set(CMAKE_SHARED_LIBRARY_PREFIX "")
set(CMAKE_RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)

# The header-only libraries (nlohmann-json for the stand-in host's layer
# table file, CLI11 for the tool's verbs) come from the build machine: their
# headers need nothing but the standard library. Only their own folders are
# put on the include path; the machine's /usr/include would hide mingw's C
# headers behind glibc's.
set(c4d_header_only ${CMAKE_BINARY_DIR}/header-only)
foreach(package_header nlohmann_json:nlohmann/json.hpp CLI11:CLI/CLI.hpp)
  string(REPLACE ":" ";" package_header ${package_header})
  list(GET package_header 0 package)
  list(GET package_header 1 header)
  find_path(C4D_${package}_INCLUDE ${header} PATHS /usr/include NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH)
  if(NOT C4D_${package}_INCLUDE)
    continue()
  endif()
  get_filename_component(folder ${header} DIRECTORY)
  file(MAKE_DIRECTORY ${c4d_header_only})
  file(CREATE_LINK ${C4D_${package}_INCLUDE}/${folder} ${c4d_header_only}/${folder} SYMBOLIC)
  # find_package looks into this folder before anywhere else.
  string(TOLOWER ${package} package_file)
  file(WRITE ${CMAKE_FIND_PACKAGE_REDIRECTS_DIR}/${package_file}-config.cmake "
if(NOT TARGET ${package}::${package})
  add_library(${package}::${package} INTERFACE IMPORTED)
  set_target_properties(${package}::${package} PROPERTIES INTERFACE_INCLUDE_DIRECTORIES ${c4d_header_only})
endif()
")
  file(WRITE ${CMAKE_FIND_PACKAGE_REDIRECTS_DIR}/${package_file}-config-version.cmake
       "set(PACKAGE_VERSION 3)\nset(PACKAGE_VERSION_COMPATIBLE TRUE)\n")
endforeach()

# The tests run under Wine (Debian's wine64 for 64-bit programs, wine32, of
# the i386 architecture, for 32-bit ones), in a prefix of the build's own,
# without a display, finding the compiler's runtime DLLs (libstdc++, libgcc,
# winpthread) where mingw-w64 installed them.
# A script in the build folder starts them, so that the search path's
# semicolons stay inside it and every runner of a program (ctest, cmake -P
# scripts) takes one command. Under a UTF-8 locale, Wine gives Windows
# programs the Western code page (1252) and file names reach Linux intact.
# A 32-bit program needs a prefix made for 32-bit Windows (WINEARCH=win32):
# beside wine64, Wine would make a 64-bit one, where wine32 cannot start.
if(C4D_WINDOWS_ARCH STREQUAL "x86_64")
  find_program(C4D_WINE wine64 PATHS /usr/lib/wine NO_CMAKE_FIND_ROOT_PATH NO_DEFAULT_PATH)
  set(c4d_wine_arch "")
else()
  find_program(C4D_WINE wine PATHS /usr/lib/wine NO_CMAKE_FIND_ROOT_PATH NO_DEFAULT_PATH)
  set(c4d_wine_arch "WINEARCH=win32 ")
endif()
if(C4D_WINE)
  execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=libstdc++-6.dll
                  OUTPUT_VARIABLE c4d_runtime OUTPUT_STRIP_TRAILING_WHITESPACE)
  get_filename_component(c4d_runtime ${c4d_runtime} DIRECTORY)
  set(c4d_wine_path "Z:${c4d_runtime};Z:${CMAKE_FIND_ROOT_PATH}/lib")
  string(REPLACE "/" "\\" c4d_wine_path "${c4d_wine_path}")
  file(WRITE ${CMAKE_BINARY_DIR}/wine-run "#!/bin/sh
# Runs a program of this build under Wine (cmake/windows.cmake).
${c4d_wine_arch}LC_ALL=C.UTF-8 WINEPREFIX='${CMAKE_BINARY_DIR}/wine' WINEDEBUG=-all DISPLAY= WINEPATH='${c4d_wine_path}' \\
  exec '${C4D_WINE}' \"$@\"
")
  file(CHMOD ${CMAKE_BINARY_DIR}/wine-run PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ
       GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_BINARY_DIR}/wine-run)
endif()
