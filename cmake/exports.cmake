# bex_dll_exports(target file.def): a DLL with a hand-written .def for the 32-bit
# names, a 64-bit .def derived from it (no standard-call decoration there), and an import
# library made by implib.cmake.
function(bex_dll_exports target deffile)
  set(def "${deffile}")
  if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    file(READ "${deffile}" text)
    # "Foo = Foo@8" -> "Foo"; "_Bar@4 = Bar@4" -> "_Bar@4 = Bar"
    string(REGEX REPLACE "([A-Za-z0-9_]+) = ([A-Za-z0-9_]+)@[0-9]+" "\\1 = \\2" text "${text}")
    string(REGEX REPLACE "\n[ \t]*([A-Za-z0-9_]+) = \\1([ \t\n])" "\n  \\1\\2" text "${text}")
    get_filename_component(name "${deffile}" NAME)
    set(def "${CMAKE_CURRENT_BINARY_DIR}/${name}")
    file(WRITE "${def}" "${text}")
  endif()
  target_sources(${target} PRIVATE "${def}")
  set_property(TARGET ${target} PROPERTY BEX_DEF_FILE "${def}")
  set(full "${CMAKE_CURRENT_BINARY_DIR}/${target}.full.def")
  set(imp "${CMAKE_CURRENT_BINARY_DIR}/${target}.imp.def")
  target_link_options(${target} PRIVATE "-Wl,--output-def,${full}")
  string(REPLACE "-g++-posix" "-dlltool" dlltool "${CMAKE_CXX_COMPILER}")
  string(REPLACE "-g++" "-dlltool" dlltool "${dlltool}")
  # Replaces the linker's import library in place, so that target_link_libraries just works.
  set(lib "$<TARGET_LINKER_FILE:${target}>")
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${CMAKE_COMMAND} -DIN=${full} -DOUT=${imp} -DDLLTOOL=${dlltool} -DLIB=${lib}
            -DDLL=$<TARGET_FILE_NAME:${target}> -P ${PROJECT_SOURCE_DIR}/cmake/implib.cmake
    VERBATIM)
endfunction()
