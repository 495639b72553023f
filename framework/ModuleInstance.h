#pragma once
// The module this code is linked into: the program's file in a program, the library's
// file in a DLL. Resources (dialog templates, strings) and window classes belong to it.
#include <windows.h>

extern "C" IMAGE_DOS_HEADER __ImageBase;

namespace fw {

inline HINSTANCE ThisModule()
{
    return reinterpret_cast<HINSTANCE>(&__ImageBase);
}

} // namespace fw
