#include "common/SessionLibrary.h"

CSessionLibrary& CSessionLibrary::Instance()
{
    static CSessionLibrary library;
    return library;
}

CSessionLibrary& CSessionLibrary::Loaded()
{
    CSessionLibrary& library = Instance();
    library.Load(); // unbound, every process counts
    return library;
}

bool CSessionLibrary::ResolveFunctions()
{
    return Bind(processIdToSessionId, "ProcessIdToSessionId");
}

void CSessionLibrary::ResetFunctions()
{
    static_cast<CSessionFunctions&>(*this) = CSessionFunctions{};
}

CSessionFilter::CSessionFilter(const CSessionFunctions& functions) : m_functions(functions)
{
    m_everyProcess = !m_functions.IsBound() ||
                     !m_functions.processIdToSessionId(GetCurrentProcessId(), &m_ownSession);
}

bool CSessionFilter::Counts(DWORD processId) const
{
    if (m_everyProcess)
        return true;
    DWORD session = 0;
    return m_functions.processIdToSessionId(processId, &session) && session == m_ownSession;
}
