# cmake -DOBJDUMP=... -DLIBRARY=x.dll -DEXPORTS="a;b" -P CheckExports.cmake
#   (or -DDUMP=file with the text of `objdump -p` instead of OBJDUMP, LIBRARY naming it)
# Fails unless the library's export table holds exactly these names, in any order.
include(${CMAKE_CURRENT_LIST_DIR}/PeDump.cmake)
kv_read_pe_dump(${LIBRARY} dump)
string(REGEX MATCH "\\[Ordinal/Name Pointer\\] Table[^\n]*\n(([ \t]+\\[[^\n]*\n)*)" table "${dump}")
# Each row "\t[   0] Name": keep the names only (brackets would upset CMake's lists).
string(REGEX REPLACE "[ \t]*\\[[ 0-9]+\\][ \t]+([^\n]+)\n" "\\1;" found "${CMAKE_MATCH_1}")
string(REGEX REPLACE ";$" "" found "${found}")
list(SORT found)
set(expected ${EXPORTS})
list(SORT expected)
if(NOT found STREQUAL expected)
  kv_fail_check(${LIBRARY} "${LIBRARY} exports [${found}], expected exactly [${expected}]")
endif()
