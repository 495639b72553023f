#pragma once
// Finds processes through Toolhelp snapshots; needs no right to open them.
#include "common/ProcessFinderImpl.h"
#include "common/SessionLibrary.h"
#include "common/ToolhelpLibrary.h"

class CToolhelpProcessFinder : public CProcessFinderImpl {
public:
    // Binds the process-wide libraries on first use.
    CToolhelpProcessFinder();
    // Asks through the given entry points (which must outlive the finder).
    CToolhelpProcessFinder(const CToolhelpFunctions& functions, const CSessionFunctions& sessions)
        : m_functions(functions), m_sessions(sessions)
    {
    }

    bool EnumModules(DWORD processId, CModuleList& modules) override;
    std::optional<DWORD> FindProcess(std::string_view executableName) override;

private:
    fw::unique_hfile Snapshot(DWORD flags, DWORD processId) const;

    const CToolhelpFunctions& m_functions;
    const CSessionFunctions& m_sessions;
};
