#include "resident/SessionNotification.h"

namespace {

constexpr DWORD kThisSession = 0;  // NOTIFY_FOR_THIS_SESSION

using RegisterFn = BOOL(WINAPI*)(HWND, DWORD);
using UnregisterFn = BOOL(WINAPI*)(HWND);

template <typename F>
F Function(HMODULE library, const char* name)
{
    return reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(library, name)));
}

} // namespace

bool CSessionNotification::Register(HWND window)
{
    Unregister();
    m_library.reset(LoadLibraryA("wtsapi32.dll"));
    if (!m_library)
        return false;
    const auto registerWindow = Function<RegisterFn>(m_library.get(), "WTSRegisterSessionNotification");
    if (!registerWindow || !registerWindow(window, kThisSession)) {
        m_library.reset();
        return false;
    }
    m_window = window;
    return true;
}

void CSessionNotification::Unregister()
{
    if (m_window) {
        if (const auto unregister = Function<UnregisterFn>(m_library.get(), "WTSUnRegisterSessionNotification"))
            unregister(m_window);
        m_window = nullptr;
    }
    m_library.reset();
}
