#include "lockcore/EventServerWnd.h"

#include <algorithm>

namespace {

const char kClassName[] = "KelvraneEventServerWnd";
constexpr UINT kSendTimeout = 2000;

bool RegisterWindowClass(WNDPROC procedure)
{
    WNDCLASSA windowClass{};
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = kClassName;
    return RegisterClassA(&windowClass) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

} // namespace

bool CEventServerWnd::Create(const std::string& registerName, const std::string& announceName)
{
    if (!RegisterWindowClass(WindowProc))
        return false;
    // Hidden and top-level: broadcasts reach top-level windows only.
    m_window.reset(CreateWindowExA(0, kClassName, "", 0, -100, -100, 101, 101, nullptr, nullptr,
                                   GetModuleHandleA(nullptr), this));
    if (!m_window)
        return false;
    m_registerId = RegisterWindowMessageA(registerName.c_str());
    m_announceId = RegisterWindowMessageA(announceName.c_str());
    Announce();
    return true;
}

void CEventServerWnd::Announce() const
{
    DWORD recipients = BSM_APPLICATIONS;
    BroadcastSystemMessageA(BSF_IGNORECURRENTTASK | BSF_POSTMESSAGE, &recipients, m_announceId, 0, 0);
}

void CEventServerWnd::Broadcast(const void* bytes, uint32_t length)
{
    std::vector<HWND> clients;
    clients.swap(m_clients);
    for (const HWND client : clients) {
        if (!IsWindow(client))
            continue;
        COPYDATASTRUCT data{0, length, const_cast<void*>(bytes)};
        DWORD_PTR result = 0;
        SendMessageTimeoutA(client, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data), SMTO_NORMAL, kSendTimeout,
                            &result);
        m_clients.push_back(client);
    }
}

void CEventServerWnd::AddClient(HWND client)
{
    if (std::find(m_clients.begin(), m_clients.end(), client) == m_clients.end())
        m_clients.push_back(client);
}

LRESULT CEventServerWnd::OnMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == m_registerId && m_registerId != 0) {
        AddClient(reinterpret_cast<HWND>(wParam));
        return 0;
    }
    return DefWindowProcA(m_window.get(), message, wParam, lParam);
}

LRESULT CALLBACK CEventServerWnd::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
        SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* self = reinterpret_cast<CEventServerWnd*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (message == WM_NCDESTROY)
        SetWindowLongPtrA(window, GWLP_USERDATA, 0);
    if (!self || !self->m_window)
        return DefWindowProcA(window, message, wParam, lParam);
    try {
        return self->OnMessage(message, wParam, lParam);
    } catch (...) {
        return 0;
    }
}
