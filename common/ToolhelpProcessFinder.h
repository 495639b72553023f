#pragma once
// Finds processes through Toolhelp snapshots; needs no right to open them.
#include "common/ProcessFinderImpl.h"
#include "common/ToolhelpLibrary.h"

class CToolhelpProcessFinder : public CProcessFinderImpl {
public:
    // Binds the process-wide library on first use.
    CToolhelpProcessFinder();
    // Asks through the given entry points (which must outlive the finder).
    explicit CToolhelpProcessFinder(const CToolhelpFunctions& functions) : m_functions(functions) {}

    bool EnumModules(DWORD processId, CModuleList& modules) override;
    std::optional<DWORD> FindProcess(std::string_view executableName) override;

private:
    fw::unique_hfile Snapshot(DWORD flags, DWORD processId) const;

    const CToolhelpFunctions& m_functions;
};
