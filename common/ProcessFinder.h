#pragma once
// Finds a running program by executable name, its modules and its top-level windows,
// through the strategy the program installed (see ProcessFinderFactory.h). Built on the
// stack for one question; without a strategy every answer is FALSE, 0 or empty.
#include <windows.h>

#include <memory>
#include <string_view>
#include <vector>

#include "common/ModuleList.h"
#include "common/ProcessFinderImpl.h"

class CProcessFinder {
public:
    CProcessFinder();
    explicit CProcessFinder(std::unique_ptr<CProcessFinderImpl> impl) : m_impl(std::move(impl)) {}

    bool EnumModules(DWORD processId, CModuleList& modules) const;
    // Names compare ignoring case, with the program file's name only ("BRONTAL.EXE").
    bool IsRunning(std::string_view executableName) const;
    // The first matching process in the system's order; 0 when none runs.
    DWORD FindProcessId(std::string_view executableName) const;
    // The process's top-level windows in Z order, hidden ones included.
    std::vector<HWND> EnumProcessWindows(DWORD processId) const;

private:
    std::unique_ptr<CProcessFinderImpl> m_impl;
};
