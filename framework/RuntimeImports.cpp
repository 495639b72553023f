// Kernel32 functions that the static runtime imports (mingw-w64's prebuilt winpthread: its
// mutexes, conditions and threads), bound at run time instead. Windows lacks them before
// Vista (GetTickCount64) or XP (the vectored exception handlers), and one missing import
// keeps the whole program from loading. This object defines the import pointers itself, so
// the linker takes no kernel32 import for them; each leads to a function that binds
// kernel32's own on first use and falls back where it is missing. It is linked as an object
// (not from an archive) into every program and DLL, so it is there before the runtime's
// archives are searched.
#include "framework/TickCount.h"

#include <windows.h>

#include <atomic>

namespace {

using TickCount64Proc = ULONGLONG(WINAPI*)();
using AddHandlerProc = PVOID(WINAPI*)(ULONG, PVECTORED_EXCEPTION_HANDLER);
using RemoveHandlerProc = ULONG(WINAPI*)(PVOID);

// No lock and no static-local guard: the runtime's lock code calls these. Threads that race
// to bind store the same answer.
template <typename Proc>
Proc Bind(std::atomic<Proc>& bound, const char* name, Proc fallback)
{
    Proc proc = bound.load(std::memory_order_acquire);
    if (proc)
        return proc;
    const HMODULE kernel = GetModuleHandleA("kernel32.dll");
    const FARPROC found = kernel ? GetProcAddress(kernel, name) : nullptr;
    proc = found ? reinterpret_cast<Proc>(reinterpret_cast<void*>(found)) : fallback;
    bound.store(proc, std::memory_order_release);
    return proc;
}

std::atomic<std::uint64_t> g_lastTick{0};

ULONGLONG WINAPI ExtendedTickCount()
{
    std::uint64_t last = g_lastTick.load();
    for (;;) {
        const std::uint64_t now = fw::ExtendTickCount(last, GetTickCount());
        if (now <= last || g_lastTick.compare_exchange_weak(last, now))
            return now;
    }
}

// Without vectored handlers the runtime only names no threads for a debugger.
PVOID WINAPI NoVectoredHandler(ULONG, PVECTORED_EXCEPTION_HANDLER)
{
    SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
    return nullptr;
}

ULONG WINAPI NoVectoredHandlerToRemove(PVOID)
{
    return 0;
}

std::atomic<TickCount64Proc> g_tickCount64{nullptr};
std::atomic<AddHandlerProc> g_addHandler{nullptr};
std::atomic<RemoveHandlerProc> g_removeHandler{nullptr};

ULONGLONG WINAPI TickCount64()
{
    return Bind(g_tickCount64, "GetTickCount64", &ExtendedTickCount)();
}

PVOID WINAPI AddHandler(ULONG first, PVECTORED_EXCEPTION_HANDLER handler)
{
    return Bind(g_addHandler, "AddVectoredExceptionHandler", &NoVectoredHandler)(first, handler);
}

ULONG WINAPI RemoveHandler(PVOID handle)
{
    return Bind(g_removeHandler, "RemoveVectoredExceptionHandler", &NoVectoredHandlerToRemove)(handle);
}

} // namespace

// The import pointers' names: i686 adds the C prefix and the stdcall argument size.
#if defined(_WIN64)
#define KV_IMPORT(name, bytes) "__imp_" #name
#else
#define KV_IMPORT(name, bytes) "__imp__" #name "@" #bytes
#endif

extern "C" TickCount64Proc const kvGetTickCount64 asm(KV_IMPORT(GetTickCount64, 0)) = &TickCount64;
extern "C" AddHandlerProc const kvAddVectoredExceptionHandler asm(KV_IMPORT(AddVectoredExceptionHandler, 8)) =
    &AddHandler;
extern "C" RemoveHandlerProc const kvRemoveVectoredExceptionHandler asm(KV_IMPORT(RemoveVectoredExceptionHandler, 4)) =
    &RemoveHandler;
