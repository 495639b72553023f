#include "eventapi/EventClientWnd.h"

namespace {

bool RegisterWindowClass(HMODULE library, WNDPROC procedure)
{
    WNDCLASSA windowClass{};
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = library;
    windowClass.lpszClassName = CEventClientWnd::kClassName;
    // A worker given up on at its stop may still hold the class: share it.
    return RegisterClassA(&windowClass) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

} // namespace

CEventClientWnd::CEventClientWnd(HMODULE library, HWND callerWindow, UINT callerMessage, CEventRecordStore& store)
    : m_library(library), m_callerWindow(callerWindow), m_callerMessage(callerMessage), m_store(store)
{
}

CEventClientWnd::~CEventClientWnd()
{
    if (m_window)
        DestroyWindow(m_window);
    // Only our own class, and it stays while another worker's window still uses it.
    // (No module lookup here: that takes the loader lock, which a caller stopping the
    // worker from its DllMain holds.)
    WNDCLASSA registered{};
    if (GetClassInfoA(m_library, kClassName, &registered) && registered.lpfnWndProc == WindowProc)
        UnregisterClassA(kClassName, m_library);
}

bool CEventClientWnd::Create(const std::string& registerName, const std::string& announceName)
{
    m_registerId = RegisterWindowMessageA(registerName.c_str());
    m_announceId = RegisterWindowMessageA(announceName.c_str());
    if (!m_registerId || !m_announceId || !RegisterWindowClass(m_library, WindowProc))
        return false;
    // Hidden and top-level: the server's announcement reaches top-level windows only.
    if (!CreateWindowExA(0, kClassName, "", 0, -100, -100, 101, 101, nullptr, nullptr, m_library, this))
        return false;
    Announce();
    return true;
}

void CEventClientWnd::Announce() const
{
    DWORD recipients = BSM_APPLICATIONS;
    BroadcastSystemMessageA(BSF_POSTMESSAGE | BSF_IGNORECURRENTTASK, &recipients, m_registerId,
                            reinterpret_cast<WPARAM>(m_window), 0);
}

void CEventClientWnd::OnCopyData(const COPYDATASTRUCT* data)
{
    uint32_t id = 0;
    if (!data || !m_store.Put(data->lpData, data->cbData, id))
        return;  // nothing arrived: no record, no notice
    if (PostMessageA(m_callerWindow, m_callerMessage, id, 0))
        return;
    // Nobody learns the id (the caller's window is gone or its queue is full), so nobody
    // would ever read it: kept, a flood of records would grow the store without end.
    std::vector<uint8_t> unread;
    m_store.Take(id, unread);
}

LRESULT CEventClientWnd::OnMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_COPYDATA) {
        OnCopyData(reinterpret_cast<const COPYDATASTRUCT*>(lParam));
        return 0;
    }
    if (message == m_announceId) {
        Announce();
        return 0;
    }
    return DefWindowProcA(m_window, message, wParam, lParam);
}

LRESULT CALLBACK CEventClientWnd::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE) {
        auto* self = static_cast<CEventClientWnd*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
        self->m_window = window;
        SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<CEventClientWnd*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrA(window, GWLP_USERDATA, 0);
        if (self)
            self->m_window = nullptr;
        self = nullptr;
    }
    if (!self)
        return DefWindowProcA(window, message, wParam, lParam);
    try {
        return self->OnMessage(message, wParam, lParam);
    } catch (...) {
        return 0;  // a record that could not be stored is lost, the window serves on
    }
}
