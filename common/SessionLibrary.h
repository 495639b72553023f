#pragma once
// The session query of "Kernel32.DLL", bound at run time: Windows NT 4 and 9x have no
// sessions and lack it.
#include <windows.h>

#include "common/DynamicLibrary.h"

// The entry point; null until bound.
struct CSessionFunctions {
    using ProcessIdToSessionIdFn = BOOL(WINAPI*)(DWORD processId, DWORD* sessionId);

    ProcessIdToSessionIdFn processIdToSessionId = nullptr;

    bool IsBound() const { return processIdToSessionId != nullptr; }
};

class CSessionLibrary : public CDynamicLibrary, public CSessionFunctions {
public:
    CSessionLibrary() : CDynamicLibrary("Kernel32.DLL") {}
    ~CSessionLibrary() override { Unload(); }

    // The process-wide instance, created on first use.
    static CSessionLibrary& Instance();
    // The same, bound (unbound where the release lacks the query).
    static CSessionLibrary& Loaded();

protected:
    bool ResolveFunctions() override;
    void ResetFunctions() override;
};

// Which processes a lookup by name counts: those of the caller's session. Without
// sessions (the query is not bound), or when the caller's own session cannot be read,
// every process counts; a process whose session cannot be read does not.
class CSessionFilter {
public:
    explicit CSessionFilter(const CSessionFunctions& functions);

    bool Counts(DWORD processId) const;

private:
    const CSessionFunctions& m_functions;
    DWORD m_ownSession = 0;
    bool m_everyProcess = true;
};
