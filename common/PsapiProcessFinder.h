#pragma once
// Finds processes through the process status library; needs the right to open them.
#include "common/ProcessFinderImpl.h"
#include "common/PsapiLibrary.h"
#include "common/SessionLibrary.h"

class CPsapiProcessFinder : public CProcessFinderImpl {
public:
    // Binds the process-wide libraries on first use.
    CPsapiProcessFinder();
    // Asks through the given entry points (which must outlive the finder).
    CPsapiProcessFinder(const CPsapiFunctions& functions, const CSessionFunctions& sessions)
        : m_functions(functions), m_sessions(sessions)
    {
    }

    bool EnumModules(DWORD processId, CModuleList& modules) override;
    std::optional<DWORD> FindProcess(std::string_view executableName) override;

private:
    std::vector<DWORD> ProcessIds() const;
    bool IsProcessNamed(DWORD processId, std::string_view executableName) const;

    const CPsapiFunctions& m_functions;
    const CSessionFunctions& m_sessions;
};
