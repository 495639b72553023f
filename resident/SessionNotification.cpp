#include "resident/SessionNotification.h"

#include <wtsapi32.h>

#include <cstring>
#include <memory>

namespace {

constexpr DWORD kThisSession = 0;  // NOTIFY_FOR_THIS_SESSION

using RegisterFn = BOOL(WINAPI*)(HWND, DWORD);
using UnregisterFn = BOOL(WINAPI*)(HWND);
using QueryFn = BOOL(WINAPI*)(HANDLE, DWORD, WTS_INFO_CLASS, LPSTR*, DWORD*);
using FreeFn = VOID(WINAPI*)(PVOID);

inline void CloseDesktopValue(HDESK desktop) { CloseDesktop(desktop); }
using unique_hdesk = fw::unique_any<fw::null_is_empty<HDESK, CloseDesktopValue>>;

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

namespace {

std::optional<std::string> DesktopName(HDESK desktop)
{
    char name[256] = {};
    DWORD needed = 0;
    if (!desktop || !GetUserObjectInformationA(desktop, UOI_NAME, name, sizeof name - 1, &needed))
        return std::nullopt;
    return std::string(name);
}

} // namespace

std::optional<std::string> WinInputDesktopName()
{
    const unique_hdesk desktop(OpenInputDesktop(0, FALSE, DESKTOP_READOBJECTS));
    return DesktopName(desktop.get());
}

std::optional<std::string> WinThreadDesktopName()
{
    return DesktopName(GetThreadDesktop(GetCurrentThreadId()));  // the thread's own: not closed
}

bool WinSwitchInputDesktop(const std::string& name)
{
    const unique_hdesk desktop(OpenDesktopA(name.c_str(), 0, FALSE, DESKTOP_SWITCHDESKTOP));
    return desktop && SwitchDesktop(desktop.get());
}

std::optional<unsigned> WinSessionConnectState()
{
    const fw::unique_hmodule library(LoadLibraryA("wtsapi32.dll"));
    if (!library)
        return std::nullopt;
    const auto query = Function<QueryFn>(library.get(), "WTSQuerySessionInformationA");
    const auto release = Function<FreeFn>(library.get(), "WTSFreeMemory");
    LPSTR buffer = nullptr;
    DWORD size = 0;
    if (!query || !release || !query(WTS_CURRENT_SERVER_HANDLE, WTS_CURRENT_SESSION, WTSConnectState, &buffer, &size))
        return std::nullopt;
    const std::unique_ptr<char, FreeFn> held(buffer, release);
    INT state = 0;
    if (!buffer || size < sizeof state)
        return std::nullopt;
    std::memcpy(&state, buffer, sizeof state);
    return static_cast<unsigned>(state);
}
