#include "common/ToolhelpLibrary.h"

CToolhelpLibrary& CToolhelpLibrary::Instance()
{
    static CToolhelpLibrary library;
    return library;
}

bool CToolhelpLibrary::ResolveFunctions()
{
    // The ANSI walkers carry the plain names; the wide ones end in "W".
    const bool bound = Bind(createSnapshot, "CreateToolhelp32Snapshot") &
                       Bind(module32First, "Module32First") & Bind(module32Next, "Module32Next") &
                       Bind(process32First, "Process32First") &
                       Bind(process32Next, "Process32Next");
    if (!bound)
        ResetFunctions();
    return bound;
}

void CToolhelpLibrary::ResetFunctions()
{
    static_cast<CToolhelpFunctions&>(*this) = CToolhelpFunctions{};
}
