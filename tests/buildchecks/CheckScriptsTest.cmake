# cmake -DSOURCE=<project> -DWORK=<dir> -P CheckScriptsTest.cmake
# The build's export and import checks against variants of one real i686 objdump text
# (ArdenvaleAPI.dll, trimmed): each variant must pass, or fail with a message naming the fault.
set(checks ${SOURCE}/cmake)
file(READ ${CMAKE_CURRENT_LIST_DIR}/ArdenvaleAPI.objdump.txt dump)
file(MAKE_DIRECTORY ${WORK})
set(failures 0)

# expect(case script from to [args...] [EXPORTS names...] EXPECT pass|<regex of the message>)
function(expect case script from to)
  cmake_parse_arguments(ARG "" "EXPECT" "EXPORTS" ${ARGN})
  set(exports "")
  if(ARG_EXPORTS)
    string(REPLACE ";" "\\;" names "${ARG_EXPORTS}")
    set(exports "-DEXPORTS=${names}" -DLIBRARY=ArdenvaleAPI.dll)
  endif()
  string(REPLACE "${from}" "${to}" text "${dump}")
  if(NOT from STREQUAL "" AND text STREQUAL dump)
    message(SEND_ERROR "${case}: the fixture has no '${from}'")
  endif()
  set(variant ${WORK}/ArdenvaleAPI.objdump.txt)
  file(WRITE ${variant} "${text}")
  execute_process(COMMAND ${CMAKE_COMMAND} -DDUMP=${variant} -DFLOOR=${checks}/winxp-exports
                          ${exports} ${ARG_UNPARSED_ARGUMENTS} -P ${checks}/${script}
                  RESULT_VARIABLE rc ERROR_VARIABLE err OUTPUT_QUIET)
  string(REGEX REPLACE "[ \t\n]+" " " err "${err}")
  if(ARG_EXPECT STREQUAL "pass")
    if(NOT rc EQUAL 0)
      message(SEND_ERROR "${case}: expected to pass, failed: ${err}")
    endif()
  elseif(rc EQUAL 0)
    message(SEND_ERROR "${case}: expected to fail with '${ARG_EXPECT}', passed")
  elseif(NOT err MATCHES "${ARG_EXPECT}")
    message(SEND_ERROR "${case}: expected '${ARG_EXPECT}', got: ${err}")
  endif()
endfunction()

set(exports GetEventData RegGetEvent UnRegGetEvent)
set(tick "  786  GetTickCount\n")
expect("imports as built" CheckImports.cmake "" "" EXPECT pass)
expect("an import only Vista has" CheckImports.cmake "${tick}" "  786  GetTickCount64\n"
       EXPECT "ArdenvaleAPI.objdump.txt imports GetTickCount64 from KERNEL32.dll, which Windows XP lacks")
expect("an unmarked Server 2003 import" CheckImports.cmake "${tick}" "  786  GetThreadId\n"
       EXPECT "imports GetThreadId from KERNEL32.dll, which Windows XP lacks")
expect("an msvcrt import of Server 2003" CheckImports.cmake "_beginthreadex" "_mkgmtime"
       EXPECT "imports _mkgmtime from msvcrt.dll, which Windows XP lacks")
expect("two violations" CheckImports.cmake "${tick}" "  786  GetTickCount64\n\t48500\t    1  GetThreadId\n"
       EXPECT "GetTickCount64 from KERNEL32.dll.* GetThreadId from KERNEL32.dll")
expect("a DLL without a list" CheckImports.cmake "USER32.dll" "OLE32.dll"
       EXPECT "imports CreateWindowExA from OLE32.dll, a DLL the Windows XP floor has no list for")
expect("another product's DLL" CheckImports.cmake "USER32.dll" "ALogExAPI.dll" -DOUTSIDE=alogexapi.dll EXPECT pass)
expect("an import by ordinal" CheckImports.cmake "  120  CreateWindowExA" "  120  <none>"
       EXPECT "imports ordinal 120 from USER32.dll")
expect("no import table" CheckImports.cmake "The Import Tables" "The Tables" EXPECT "shows no import table")
expect("exports as built" CheckExports.cmake "" "" EXPORTS ${exports} EXPECT pass)
expect("a decorated export" CheckExports.cmake "] RegGetEvent\n" "] _RegGetEvent@8\n" EXPORTS ${exports}
       EXPECT "exports \\[GetEventData;UnRegGetEvent;_RegGetEvent@8\\], expected exactly")
expect("a missing export" CheckExports.cmake "" "" EXPORTS ${exports} Extra
       EXPECT "expected exactly \\[Extra;GetEventData;RegGetEvent;UnRegGetEvent\\]")
