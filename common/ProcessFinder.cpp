#include "common/ProcessFinder.h"

#include "common/ProcessFinderFactory.h"

CProcessFinder::CProcessFinder() : m_impl(CreateProcessFinderImpl()) {}

bool CProcessFinder::EnumModules(DWORD processId, CModuleList& modules) const
{
    if (!m_impl) {
        modules.Clear();
        return false;
    }
    return m_impl->EnumModules(processId, modules);
}

bool CProcessFinder::IsRunning(std::string_view executableName) const
{
    return m_impl && m_impl->FindProcess(executableName).has_value();
}

DWORD CProcessFinder::FindProcessId(std::string_view executableName) const
{
    return m_impl ? m_impl->FindProcess(executableName).value_or(0) : 0;
}

std::vector<HWND> CProcessFinder::EnumProcessWindows(DWORD processId) const
{
    return m_impl ? m_impl->EnumProcessWindows(processId) : std::vector<HWND>();
}
