#include "eventapi/LibraryModule.h"

// This library's own module (the linker's symbol for the image's start).
extern "C" IMAGE_DOS_HEADER __ImageBase;

// Loading the library by its own path adds the reference: GetModuleHandleEx would do it in
// one call, but Windows 2000 and 9x lack it.
HMODULE HoldThisLibrary()
{
    char path[MAX_PATH];
    const DWORD length = GetModuleFileNameA(reinterpret_cast<HMODULE>(&__ImageBase), path, sizeof path);
    if (length == 0 || length >= sizeof path)
        return nullptr;
    return LoadLibraryA(path);
}
