#pragma once
// The library's own module, for its window class and for the reference its worker holds.
#include <windows.h>

// This library's module handle; the reference count is left as it is.
HMODULE ThisLibrary();
// Adds a reference to this library, so it stays mapped until the matching FreeLibrary
// (the worker's own, on its way out); null when that fails.
HMODULE HoldThisLibrary();
