#include "eventapi/LibraryModule.h"

HMODULE HoldThisLibrary()
{
    HMODULE module = nullptr;
    GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS, reinterpret_cast<LPCSTR>(&HoldThisLibrary), &module);
    return module;
}
