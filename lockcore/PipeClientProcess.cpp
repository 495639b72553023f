#include "lockcore/PipeClientProcess.h"

namespace {

// An entry point of kernel32, which every process has loaded; null when it lacks it.
template <typename Function>
Function Kernel32Entry(const char* name)
{
    const HMODULE kernel = GetModuleHandleA("kernel32.dll");
    // Through void(*)() so the compiler accepts the cast between function types.
    return kernel ? reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(kernel, name)))
                  : nullptr;
}

// `entry` names the end whose process is asked for.
bool PipeEndProcessId(const char* entry, HANDLE pipe, DWORD& id)
{
    using Query = BOOL(WINAPI*)(HANDLE, PULONG);
    const Query query = Kernel32Entry<Query>(entry);
    ULONG process = 0;
    if (!query || !query(pipe, &process))
        return false;
    id = process;
    return true;
}

} // namespace

bool PipeClientProcessId(HANDLE pipe, DWORD& id)
{
    return PipeEndProcessId("GetNamedPipeClientProcessId", pipe, id);
}

bool PipeServerProcessId(HANDLE pipe, DWORD& id)
{
    return PipeEndProcessId("GetNamedPipeServerProcessId", pipe, id);
}

DWORD ProcessIdOf(HANDLE process)
{
    using Query = DWORD(WINAPI*)(HANDLE);
    const Query query = Kernel32Entry<Query>("GetProcessId");
    return query && process ? query(process) : 0;
}
