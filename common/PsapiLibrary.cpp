#include "common/PsapiLibrary.h"

CPsapiLibrary& CPsapiLibrary::Instance()
{
    static CPsapiLibrary library;
    return library;
}

bool CPsapiLibrary::ResolveFunctions()
{
    const bool bound = Bind(enumProcesses, "EnumProcesses") &
                       Bind(enumProcessModules, "EnumProcessModules") &
                       Bind(getModuleFileNameEx, "GetModuleFileNameExA");
    if (!bound)
        ResetFunctions();
    return bound;
}

void CPsapiLibrary::ResetFunctions()
{
    static_cast<CPsapiFunctions&>(*this) = CPsapiFunctions{};
}
