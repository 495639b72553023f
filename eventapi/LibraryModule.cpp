#include "eventapi/LibraryModule.h"

namespace {

HMODULE ModuleOfThisCode(DWORD flags)
{
    HMODULE module = nullptr;
    GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | flags,
                       reinterpret_cast<LPCSTR>(&ModuleOfThisCode), &module);
    return module;
}

} // namespace

HMODULE ThisLibrary()
{
    return ModuleOfThisCode(GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT);
}

HMODULE HoldThisLibrary()
{
    return ModuleOfThisCode(0);
}
