# What `cmake --install` puts under the prefix: the import module with its
# public header, the host interface it is built against, the stand-in host
# and the platform layer it runs on (with the resource libraries the host
# loads by name from its own folder), the c4dimport tool, and a package
# configuration so that another CMake project can use the module:
#
#   find_package(TessaroC4DImport REQUIRED)
#   target_link_libraries(app PRIVATE TessaroC4D::ImportModule TessaroC4D::HostStandin)
include(CMakePackageConfigHelpers)

set(C4D_INSTALL_INCLUDEDIR ${CMAKE_INSTALL_INCLUDEDIR}/tessaro)
set(C4D_INSTALL_CMAKEDIR ${CMAKE_INSTALL_LIBDIR}/cmake/TessaroC4DImport)

# Headers are found in the source tree while building and under the
# prefix once installed.
function(c4d_install_includes target source)
  set_property(TARGET ${target} PROPERTY INTERFACE_INCLUDE_DIRECTORIES
    $<BUILD_INTERFACE:${source}> $<INSTALL_INTERFACE:${C4D_INSTALL_INCLUDEDIR}>)
endfunction()

if(TARGET Orbek_QEL_Server_C4D AND TARGET tessaro_host_standin)
  c4d_install_includes(Orbek_QEL_Server_C4D ${PROJECT_SOURCE_DIR}/src/session)
  c4d_install_includes(qelhost ${PROJECT_SOURCE_DIR}/src/host)
  c4d_install_includes(tessaro_afx ${PROJECT_SOURCE_DIR}/platform/include)
  c4d_install_includes(tessaro_host_standin ${PROJECT_SOURCE_DIR}/standin/include)
  set_target_properties(Orbek_QEL_Server_C4D PROPERTIES EXPORT_NAME ImportModule)
  set_target_properties(qelhost PROPERTIES EXPORT_NAME HostInterface)
  set_target_properties(tessaro_afx PROPERTIES EXPORT_NAME Platform)
  set_target_properties(tessaro_host_standin PROPERTIES EXPORT_NAME HostStandin)
  # The libraries find each other in their own folder.
  set_target_properties(Orbek_QEL_Server_C4D tessaro_host_standin tessaro_afx PROPERTIES INSTALL_RPATH "$ORIGIN")

  install(TARGETS Orbek_QEL_Server_C4D qelhost tessaro_afx tessaro_host_standin
    EXPORT TessaroC4DImportTargets
    LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
    ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR}
    RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(TARGETS Orbek_QEL_SERVER_C4D Orbek_KVT_Controls LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
                                                          RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR}/resources)
  # On 32-bit Windows the module imports the shared libgcc (see
  # src/session/CMakeLists.txt): it goes beside the module.
  if(WIN32 AND CMAKE_SIZEOF_VOID_P EQUAL 4)
    execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=libgcc_s_dw2-1.dll
                    OUTPUT_VARIABLE c4d_libgcc OUTPUT_STRIP_TRAILING_WHITESPACE)
    install(FILES ${c4d_libgcc} DESTINATION ${CMAKE_INSTALL_BINDIR})
  endif()

  install(FILES ${PROJECT_SOURCE_DIR}/src/session/QEL_Server_C4D.h DESTINATION ${C4D_INSTALL_INCLUDEDIR})
  file(GLOB c4d_host_headers ${PROJECT_SOURCE_DIR}/src/host/*.h ${PROJECT_SOURCE_DIR}/platform/include/*.h)
  install(FILES ${c4d_host_headers} DESTINATION ${C4D_INSTALL_INCLUDEDIR})
  install(DIRECTORY ${PROJECT_SOURCE_DIR}/standin/include/standin DESTINATION ${C4D_INSTALL_INCLUDEDIR})

  install(EXPORT TessaroC4DImportTargets NAMESPACE TessaroC4D:: DESTINATION ${C4D_INSTALL_CMAKEDIR})
  configure_package_config_file(${CMAKE_CURRENT_LIST_DIR}/TessaroC4DImportConfig.cmake.in
    ${CMAKE_CURRENT_BINARY_DIR}/TessaroC4DImportConfig.cmake
    INSTALL_DESTINATION ${C4D_INSTALL_CMAKEDIR})
  write_basic_package_version_file(${CMAKE_CURRENT_BINARY_DIR}/TessaroC4DImportConfigVersion.cmake
    VERSION ${PROJECT_VERSION} COMPATIBILITY SameMajorVersion)
  install(FILES ${CMAKE_CURRENT_BINARY_DIR}/TessaroC4DImportConfig.cmake
                ${CMAKE_CURRENT_BINARY_DIR}/TessaroC4DImportConfigVersion.cmake
    DESTINATION ${C4D_INSTALL_CMAKEDIR})
endif()

if(TARGET c4dimport)
  file(RELATIVE_PATH c4d_bin_to_lib ${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}
       ${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_LIBDIR})
  set_target_properties(c4dimport PROPERTIES INSTALL_RPATH "$ORIGIN/${c4d_bin_to_lib}")
  install(TARGETS c4dimport RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()
