# What the checks of built files share (included by CheckExports.cmake, CheckImports.cmake
# and CheckLibraryImports.cmake).

# The text of `objdump -p FILE` into `out`; with -DDUMP=<file> (the checks' own tests) that
# file's text instead.
function(kv_read_pe_dump file out)
  if(DUMP)
    file(READ ${DUMP} text)
  else()
    execute_process(COMMAND ${OBJDUMP} -p ${file} OUTPUT_VARIABLE text RESULT_VARIABLE failed)
    if(failed)
      message(FATAL_ERROR "objdump -p ${file} failed")
    endif()
  endif()
  set(${out} "${text}" PARENT_SCOPE)
endfunction()

# Fails the check with `text`. The file goes first: after a failed step the build tool
# takes it for up to date, so only then does the next build link and check it again.
function(kv_fail_check file text)
  if(NOT DUMP)
    file(REMOVE ${file})
  endif()
  message(FATAL_ERROR "${text}")
endfunction()
