# The SDK, made by `cmake --install <build> --prefix DIR` for either width: what an application
# needs to be built on the library outside this tree, with find_package(BexLib32 CONFIG).
#
#   include/              BexLib32.h and every library header it reaches, in their folders (they
#                         include each other by relative paths), and the framework's headers
#   lib/                  the import libraries, standard-call names bound as a caller asks for
#                         them, and the library's .def
#   bin/                  the DLLs, with the C++ runtime DLLs they load
#   lib/cmake/BexLib32/   the package: BexLib32::BexLib32, BexLib32::FxFrame, BexLib32_DLLS
include(CMakePackageConfigHelpers)

# The library headers that BexLib32.h reaches through quoted includes; the others are the
# library's own business. A header that changes its includes configures the build again.
function(bex_public_headers out)
  set(todo ${PROJECT_SOURCE_DIR}/bexlib/BexLib32.h)
  set(found)
  while(todo)
    list(POP_FRONT todo header)
    if(header IN_LIST found OR NOT EXISTS ${header})
      continue()   # seen, or the framework's (installed whole)
    endif()
    list(APPEND found ${header})
    file(STRINGS ${header} lines REGEX "^[ \t]*#[ \t]*include[ \t]*\"")
    get_filename_component(dir ${header} DIRECTORY)
    foreach(line IN LISTS lines)
      string(REGEX REPLACE "^[^\"]*\"([^\"]+)\".*" "\\1" name "${line}")
      get_filename_component(path ${dir}/${name} ABSOLUTE)
      list(APPEND todo ${path})
    endforeach()
  endwhile()
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${found})
  set(${out} ${found} PARENT_SCOPE)
endfunction()

bex_public_headers(headers)
foreach(header IN LISTS headers)
  file(RELATIVE_PATH rel ${PROJECT_SOURCE_DIR}/bexlib ${header})
  get_filename_component(reldir ${rel} DIRECTORY)
  install(FILES ${header} DESTINATION include/${reldir})
endforeach()
file(GLOB fx_headers CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/framework/include/*.h)
install(FILES ${fx_headers} DESTINATION include)

install(TARGETS BexLib32 FxFrame EXPORT BexLib32Targets RUNTIME DESTINATION bin ARCHIVE DESTINATION lib)
install(FILES $<TARGET_PROPERTY:BexLib32,BEX_DEF_FILE> DESTINATION lib)
install(FILES ${BEX_CXX_RUNTIME_DLLS} DESTINATION bin)
install(EXPORT BexLib32Targets NAMESPACE BexLib32:: DESTINATION lib/cmake/BexLib32)

set(BEX_SDK_DLLS BexLib32.dll FxFrame.dll)
foreach(rt IN LISTS BEX_CXX_RUNTIME_DLLS)
  get_filename_component(name ${rt} NAME)
  list(APPEND BEX_SDK_DLLS ${name})
endforeach()
configure_package_config_file(cmake/BexLib32Config.cmake.in ${CMAKE_BINARY_DIR}/BexLib32Config.cmake
                              INSTALL_DESTINATION lib/cmake/BexLib32)
# The width is part of the version check: a 64-bit application does not take the 32-bit SDK.
write_basic_package_version_file(${CMAKE_BINARY_DIR}/BexLib32ConfigVersion.cmake
                                 VERSION ${PROJECT_VERSION} COMPATIBILITY SameMajorVersion)
install(FILES ${CMAKE_BINARY_DIR}/BexLib32Config.cmake ${CMAKE_BINARY_DIR}/BexLib32ConfigVersion.cmake
        DESTINATION lib/cmake/BexLib32)
