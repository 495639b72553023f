#include "common/ToolhelpProcessFinder.h"

#include "common/ExecutableName.h"

namespace {

CToolhelpLibrary& LoadedLibrary()
{
    CToolhelpLibrary& library = CToolhelpLibrary::Instance();
    library.Load(); // unbound entry points make every question answer "none"
    return library;
}

} // namespace

CToolhelpProcessFinder::CToolhelpProcessFinder()
    : m_functions(LoadedLibrary()), m_sessions(CSessionLibrary::Loaded())
{
}

fw::unique_hfile CToolhelpProcessFinder::Snapshot(DWORD flags, DWORD processId) const
{
    if (!m_functions.IsBound())
        return fw::unique_hfile();
    return fw::unique_hfile(m_functions.createSnapshot(flags, processId));
}

std::optional<DWORD> CToolhelpProcessFinder::FindProcess(std::string_view executableName)
{
    const fw::unique_hfile snapshot = Snapshot(TH32CS_SNAPPROCESS, 0);
    if (!snapshot)
        return std::nullopt;
    const CSessionFilter session(m_sessions);
    PROCESSENTRY32 entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = m_functions.process32First(snapshot.get(), &entry); more;
         more = m_functions.process32Next(snapshot.get(), &entry)) {
        entry.szExeFile[sizeof entry.szExeFile - 1] = '\0';
        if (exename::Matches(entry.szExeFile, executableName) && session.Counts(entry.th32ProcessID))
            return entry.th32ProcessID;
    }
    return std::nullopt;
}

bool CToolhelpProcessFinder::EnumModules(DWORD processId, CModuleList& modules)
{
    if (processId == 0)
        return false;
    modules.Clear();
    const fw::unique_hfile snapshot = Snapshot(TH32CS_SNAPMODULE, processId);
    if (!snapshot)
        return false;
    MODULEENTRY32 entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = m_functions.module32First(snapshot.get(), &entry); more;
         more = m_functions.module32Next(snapshot.get(), &entry)) {
        entry.szExePath[sizeof entry.szExePath - 1] = '\0';
        modules.Add(entry.szExePath, entry.hModule);
    }
    return true;
}
