# cmake -DOBJDUMP=... -DLIBRARY=x.dll -DFROM=y.dll -DIMPORTS="a;b" -P CheckLibraryImports.cmake
# Fails unless the library imports exactly these names from FROM, in any order.
include(${CMAKE_CURRENT_LIST_DIR}/PeDump.cmake)
kv_read_pe_dump(${LIBRARY} dump)
string(FIND "${dump}" "DLL Name: ${FROM}" at)
if(at EQUAL -1)
  kv_fail_check(${LIBRARY} "${LIBRARY} imports nothing from ${FROM}")
endif()
string(SUBSTRING "${dump}" ${at} -1 block)
# The block's rows "\t<vma>\t  <hint>  Name" run until its blank line.
string(REGEX MATCH "Member-Name[^\n]*\n(([ \t]+[0-9a-fA-F]+[ \t]+[0-9]+[ \t]+[^\n]+\n)*)" table "${block}")
string(REGEX REPLACE "[ \t]+[0-9a-fA-F]+[ \t]+[0-9]+[ \t]+([^\n]+)\n" "\\1;" found "${CMAKE_MATCH_1}")
string(REGEX REPLACE ";$" "" found "${found}")
list(SORT found)
set(expected ${IMPORTS})
list(SORT expected)
if(NOT found STREQUAL expected)
  kv_fail_check(${LIBRARY} "${LIBRARY} imports [${found}] from ${FROM}, expected exactly [${expected}]")
endif()
