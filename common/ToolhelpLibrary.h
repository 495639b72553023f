#pragma once
// The Toolhelp functions of "Kernel32.DLL", bound at run time (Windows NT 4 lacks them).
#include <windows.h>

#include <tlhelp32.h>

#include "common/DynamicLibrary.h"

// The entry points; null until bound.
struct CToolhelpFunctions {
    using CreateSnapshotFn = HANDLE(WINAPI*)(DWORD flags, DWORD processId);
    using ProcessWalkFn = BOOL(WINAPI*)(HANDLE snapshot, PROCESSENTRY32* entry);
    using ModuleWalkFn = BOOL(WINAPI*)(HANDLE snapshot, MODULEENTRY32* entry);

    CreateSnapshotFn createSnapshot = nullptr;
    ModuleWalkFn module32First = nullptr;
    ModuleWalkFn module32Next = nullptr;
    ProcessWalkFn process32First = nullptr;
    ProcessWalkFn process32Next = nullptr;

    bool IsBound() const
    {
        return createSnapshot && module32First && module32Next && process32First && process32Next;
    }
};

class CToolhelpLibrary : public CDynamicLibrary, public CToolhelpFunctions {
public:
    CToolhelpLibrary() : CDynamicLibrary("Kernel32.DLL") {}
    ~CToolhelpLibrary() override { Unload(); }

    // The process-wide instance, created on first use.
    static CToolhelpLibrary& Instance();

protected:
    bool ResolveFunctions() override;
    void ResetFunctions() override;
};
