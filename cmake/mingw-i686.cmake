# 32-bit Windows: the shipped product.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(KV_MINGW_PREFIX i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
