#include "common/ModuleList.h"

#include "common/ExecutableName.h"

void CModuleList::Add(const std::string& path, HMODULE module)
{
    if (path.empty() || !module)
        return;
    if (exename::HasExeExtension(path))
        m_main = CModuleEntry{path, module};
    else
        m_others.push_back(CModuleEntry{path, module});
}

void CModuleList::Clear()
{
    m_main.reset();
    m_others.clear();
}
