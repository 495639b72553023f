#pragma once
// A library bound at run time by file name, all its entry points or none.
#include <windows.h>

#include <string>

#include "framework/Handle.h"

class CDynamicLibrary {
public:
    explicit CDynamicLibrary(std::string fileName) : m_fileName(std::move(fileName)) {}
    CDynamicLibrary(const CDynamicLibrary&) = delete;
    CDynamicLibrary& operator=(const CDynamicLibrary&) = delete;
    virtual ~CDynamicLibrary() = default; // the module handle frees the library

    // Loads once; when an entry point is missing the library is unloaded again and a
    // later Load tries anew.
    bool Load();
    void Unload();
    bool IsLoaded() const { return static_cast<bool>(m_module); }

    // The entry point, or null when the library is not loaded or lacks it.
    FARPROC GetProc(const char* name) const;

protected:
    // Takes the entry points after loading; FALSE when one is missing.
    virtual bool ResolveFunctions() { return true; }
    // Forgets the entry points before unloading.
    virtual void ResetFunctions() {}

    // Stores the named entry point in slot; TRUE when it was found.
    template <typename Function>
    bool Bind(Function& slot, const char* name) const
    {
        // Through void(*)() so the compiler accepts the cast between function types.
        slot = reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProc(name)));
        return slot != nullptr;
    }

private:
    std::string m_fileName;
    fw::unique_hmodule m_module;
};
