#include "logplugin/EventApiLibrary.h"

bool CEventApiLibrary::Load(const std::string& path)
{
    if (m_tried)
        return IsLoaded();
    m_tried = true;
    fw::unique_hmodule library(LoadLibraryA(path.c_str()));
    if (library && m_functions.Bind(library.get()))
        m_library = std::move(library);
    return IsLoaded();
}
