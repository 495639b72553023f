#pragma once
// The reference on this library that its worker holds while it runs.
#include <windows.h>

// Adds a reference to this library, so it stays mapped until the matching FreeLibrary
// (the worker's own, on its way out); null when that fails.
HMODULE HoldThisLibrary();
