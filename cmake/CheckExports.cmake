# cmake -DOBJDUMP=... -DLIBRARY=x.dll -DEXPORTS="a;b" -P CheckExports.cmake
# Fails unless the library's export table holds exactly these names, in any order.
execute_process(COMMAND ${OBJDUMP} -p ${LIBRARY} OUTPUT_VARIABLE dump RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "objdump -p ${LIBRARY} failed")
endif()
string(REGEX MATCH "\\[Ordinal/Name Pointer\\] Table[^\n]*\n(([ \t]+\\[[^\n]*\n)*)" table "${dump}")
# Each row "\t[   0] Name": keep the names only (brackets would upset CMake's lists).
string(REGEX REPLACE "[ \t]*\\[[ 0-9]+\\][ \t]+([^\n]+)\n" "\\1;" found "${CMAKE_MATCH_1}")
string(REGEX REPLACE ";$" "" found "${found}")
list(SORT found)
set(expected ${EXPORTS})
list(SORT expected)
if(NOT found STREQUAL expected)
  message(FATAL_ERROR "${LIBRARY} exports [${found}], expected exactly [${expected}]")
endif()
