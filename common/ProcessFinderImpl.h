#pragma once
// One way of asking the system about processes; the process finder forwards to it.
#include <windows.h>

#include <optional>
#include <string_view>
#include <vector>

#include "common/ModuleList.h"

class CProcessFinderImpl {
public:
    virtual ~CProcessFinderImpl() = default;

    // Fills the list with the process's modules; FALSE when they cannot be read.
    virtual bool EnumModules(DWORD processId, CModuleList& modules) = 0;

    // The first process, in the system's order, whose program file name is the given
    // executable name ignoring case; none when no such process runs or the system
    // cannot be asked.
    virtual std::optional<DWORD> FindProcess(std::string_view executableName) = 0;

    // The process's top-level windows in Z order, hidden ones included.
    virtual std::vector<HWND> EnumProcessWindows(DWORD processId);
};
