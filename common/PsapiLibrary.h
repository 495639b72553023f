#pragma once
// The process status library ("PSAPI.DLL"), bound at run time.
#include <windows.h>

#include "common/DynamicLibrary.h"

// The entry points; null until bound.
struct CPsapiFunctions {
    using EnumProcessesFn = BOOL(WINAPI*)(DWORD* ids, DWORD bytes, DWORD* bytesReturned);
    using EnumProcessModulesFn = BOOL(WINAPI*)(HANDLE process, HMODULE* modules, DWORD bytes,
                                               DWORD* bytesNeeded);
    using GetModuleFileNameExFn = DWORD(WINAPI*)(HANDLE process, HMODULE module, LPSTR name,
                                                 DWORD size);

    EnumProcessesFn enumProcesses = nullptr;
    EnumProcessModulesFn enumProcessModules = nullptr;
    GetModuleFileNameExFn getModuleFileNameEx = nullptr;

    bool IsBound() const { return enumProcesses && enumProcessModules && getModuleFileNameEx; }
};

class CPsapiLibrary : public CDynamicLibrary, public CPsapiFunctions {
public:
    CPsapiLibrary() : CDynamicLibrary("PSAPI.DLL") {}
    ~CPsapiLibrary() override { Unload(); }

    // The process-wide instance, created on first use.
    static CPsapiLibrary& Instance();

protected:
    bool ResolveFunctions() override;
    void ResetFunctions() override;
};
