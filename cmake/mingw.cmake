# Cross-build for Windows with the mingw-w64 posix-thread toolchain of KV_MINGW_PREFIX,
# set by the architecture's toolchain file before it includes this one.
set(CMAKE_SYSTEM_NAME Windows)

set(CMAKE_C_COMPILER   ${KV_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${KV_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER  ${KV_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${KV_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
