#include "common/DynamicLibrary.h"

bool CDynamicLibrary::Load()
{
    if (m_module)
        return true;
    m_module.reset(LoadLibraryA(m_fileName.c_str()));
    if (!m_module)
        return false;
    if (!ResolveFunctions()) {
        Unload();
        return false;
    }
    return true;
}

void CDynamicLibrary::Unload()
{
    if (!m_module)
        return;
    ResetFunctions();
    m_module.reset();
}

FARPROC CDynamicLibrary::GetProc(const char* name) const
{
    return m_module ? GetProcAddress(m_module.get(), name) : nullptr;
}
