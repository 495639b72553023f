# Shared target settings: warnings as errors, the Windows definitions, a static runtime.

function(kv_defaults target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Werror)
  if(KV_WINDOWS)
    # ANSI (code page 932) Win32 calls throughout; XP-level declarations, newer calls are bound at run time.
    target_compile_definitions(${target} PRIVATE WINVER=0x0501 _WIN32_WINNT=0x0501 NOMINMAX STRICT)
    target_link_options(${target} PRIVATE -static -static-libgcc -static-libstdc++)
    # Every program and DLL carries the runtime imports of its own (framework/RuntimeImports.cpp).
    get_target_property(type ${target} TYPE)
    if(type STREQUAL "EXECUTABLE" OR type STREQUAL "SHARED_LIBRARY")
      target_link_libraries(${target} PRIVATE framework_runtime_imports)
    endif()
  endif()
endfunction()

# kv_shipped(name [OUTSIDE dll ...]): a deliverable of the product. The target `shipped`
# builds them all (with their export checks); on i686 each build also checks that every
# function the file imports from Windows is one that Windows XP has (cmake/CheckImports.cmake,
# cmake/winxp-exports/). OUTSIDE names the DLLs it imports that are not Windows' own.
function(kv_shipped name)
  cmake_parse_arguments(ARG "" "" "OUTSIDE" ${ARGN})
  if(NOT KV_WINDOWS)
    return()
  endif()
  set_property(GLOBAL APPEND PROPERTY KV_SHIPPED ${name})
  if(CMAKE_SIZEOF_VOID_P EQUAL 4)
    string(REPLACE ";" "\\;" outside "${ARG_OUTSIDE}")
    add_custom_command(TARGET ${name} POST_BUILD
      COMMAND ${CMAKE_COMMAND} -DOBJDUMP=${CMAKE_OBJDUMP} -DFILE=$<TARGET_FILE:${name}> "-DOUTSIDE=${outside}"
              -DFLOOR=${CMAKE_SOURCE_DIR}/cmake/winxp-exports -P ${CMAKE_SOURCE_DIR}/cmake/CheckImports.cmake
      VERBATIM)
  endif()
endfunction()

# kv_library(name [PORTABLE] SOURCES ... [LIBS ...] [INCLUDES ...])
# A PORTABLE library holds no Win32 call and builds in both configurations.
function(kv_library name)
  cmake_parse_arguments(ARG "PORTABLE" "" "SOURCES;LIBS" ${ARGN})
  if(NOT ARG_PORTABLE AND NOT KV_WINDOWS)
    return()
  endif()
  add_library(${name} STATIC ${ARG_SOURCES})
  kv_defaults(${name})
  target_include_directories(${name} PUBLIC ${CMAKE_SOURCE_DIR})
  target_link_libraries(${name} PUBLIC ${ARG_LIBS})
endfunction()

# kv_program(name [GUI] SOURCES ... [LIBS ...]): a Windows program.
function(kv_program name)
  cmake_parse_arguments(ARG "GUI" "" "SOURCES;LIBS" ${ARGN})
  if(NOT KV_WINDOWS)
    return()
  endif()
  add_executable(${name} ${ARG_SOURCES})
  kv_defaults(${name})
  if(ARG_GUI)
    set_target_properties(${name} PROPERTIES WIN32_EXECUTABLE ON)
  endif()
  target_link_libraries(${name} PRIVATE ${ARG_LIBS})
endfunction()

# kv_test(name [PORTABLE] SOURCES ... [LIBS ...] [LABELS ...] [SERIAL [LOCK lock]])
# A GoogleTest program; each test case becomes a CTest test, which fails when it runs no
# test. Windows tests run under Wine; PORTABLE ones also build natively under the sanitizers.
# SERIAL: the cases share something of the prefix (a named object, a program's
# version setting) and must not run beside each other. LOCK names the lock instead,
# for test programs that share such a thing with one another: every test that uses a
# system-wide name (the system's registered message names, mutexes, pipes, window
# markers, the companions' executable names) takes LOCK companion-programs.
function(kv_test name)
  cmake_parse_arguments(ARG "PORTABLE;SERIAL" "LOCK" "SOURCES;LIBS;LABELS" ${ARGN})
  if(NOT ARG_PORTABLE AND NOT KV_WINDOWS)
    return()
  endif()
  add_executable(${name} ${ARG_SOURCES})
  kv_defaults(${name})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gmock GTest::gtest_main)
  if(KV_WINDOWS)
    set(mode PRE_TEST)
    set(timeout 120)
  else()
    set(mode POST_BUILD)
    set(timeout 60)
  endif()
  # A run whose filter matches no test (a name the filter reads otherwise, a case gone or
  # disabled) ends well having tested nothing: it fails instead.
  set(props LABELS "${ARG_LABELS}" TIMEOUT ${timeout} FAIL_REGULAR_EXPRESSION "\\[  PASSED  \\] 0 tests\\.")
  if(ARG_SERIAL AND ARG_LOCK)
    list(APPEND props RESOURCE_LOCK ${ARG_LOCK})
  elseif(ARG_SERIAL)
    list(APPEND props RESOURCE_LOCK ${name})
  endif()
  gtest_discover_tests(${name} DISCOVERY_MODE ${mode} DISCOVERY_TIMEOUT 60
                       PROPERTIES ${props})
endfunction()

# kv_fuzzer(name SOURCES ... [LIBS ...]): a libFuzzer target of the native build.
# tools/test runs it for a bounded time over tests/fuzz/corpus/<name>.
function(kv_fuzzer name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  if(KV_WINDOWS)
    return()
  endif()
  add_executable(${name} ${ARG_SOURCES})
  kv_defaults(${name})
  target_compile_options(${name} PRIVATE -fsanitize=fuzzer)
  target_link_options(${name} PRIVATE -fsanitize=fuzzer)
  target_link_libraries(${name} PRIVATE ${ARG_LIBS})
  set_property(GLOBAL APPEND PROPERTY KV_FUZZERS ${name})
endfunction()

# kv_dll(name SOURCES ... [LIBS ...] EXPORTS ...): a Windows DLL named name.dll whose
# export table holds exactly the names of EXPORTS, undecorated, as its .def file (among
# the sources) gives them; the build checks the built table.
function(kv_dll name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS;EXPORTS" ${ARGN})
  if(NOT KV_WINDOWS)
    return()
  endif()
  add_library(${name} SHARED ${ARG_SOURCES})
  kv_defaults(${name})
  set_target_properties(${name} PROPERTIES PREFIX "" IMPORT_PREFIX "")
  # i686 stdcall names are decorated (Name@12): the linker matches the .def's plain names.
  if(CMAKE_SIZEOF_VOID_P EQUAL 4)
    target_link_options(${name} PRIVATE -Wl,--enable-stdcall-fixup)
  endif()
  target_link_libraries(${name} PRIVATE ${ARG_LIBS})
  string(REPLACE ";" "\\;" exports "${ARG_EXPORTS}")
  add_custom_command(TARGET ${name} POST_BUILD
    COMMAND ${CMAKE_COMMAND} -DOBJDUMP=${CMAKE_OBJDUMP} -DLIBRARY=$<TARGET_FILE:${name}>
            "-DEXPORTS=${exports}" -P ${CMAKE_SOURCE_DIR}/cmake/CheckExports.cmake
    VERBATIM)
endfunction()
