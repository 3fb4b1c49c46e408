# Makes the import library of a DLL from the .def that the linker wrote (--output-def).
#
# The DLL's own .def exports standard-call functions under their plain names ("Foo = Foo@8") and
# one under a decorated name ("_Bar@4 = Bar@4"). The linker's import library would offer callers
# only the export names, while a caller's compiler asks for "Foo@8" and "Bar@4"; dlltool with
# --kill-at, fed the decorated names and explicit import names, makes the library a Windows
# linker would have made.
#
# cmake -DIN=full.def -DOUT=imp.def -DDLLTOOL=... -DLIB=x.dll.a -DDLL=x.dll -P implib.cmake
file(STRINGS "${IN}" lines)
set(out "LIBRARY \"${DLL}\"\nEXPORTS\n")
foreach(line IN LISTS lines)
  if(line MATCHES "^[ \t]*(EXPORTS|LIBRARY|;)" OR line MATCHES "^[ \t]*$")
    continue()
  endif()
  set(data "")
  if(line MATCHES "[ \t]DATA[ \t]*$")
    set(data " DATA")
  endif()
  string(REGEX REPLACE "[ \t]+@[0-9]+.*$" "" line "${line}")
  string(STRIP "${line}" line)
  if(line MATCHES "^([^ =]+)[ \t]*=[ \t]*([^ ]+)$")
    set(export "${CMAKE_MATCH_1}")
    set(internal "${CMAKE_MATCH_2}")
    string(REGEX REPLACE "@[0-9]+$" "" plain "${internal}")
    if(export STREQUAL plain)
      string(APPEND out "${internal}${data}\n")
    else()
      string(APPEND out "${internal} == ${export}${data}\n")
    endif()
  elseif(line MATCHES "@[0-9]+$")
    # a decorated name exported as it stands (a standard-call C++ member): keep its import name
    string(APPEND out "${line} == ${line}${data}\n")
  else()
    string(APPEND out "${line}${data}\n")
  endif()
endforeach()
file(WRITE "${OUT}" "${out}")
execute_process(COMMAND ${DLLTOOL} --kill-at -d "${OUT}" -l "${LIB}" RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "dlltool failed on ${OUT}")
endif()
