#include "lockcore/EventServerWnd.h"

#include <algorithm>

namespace {

const char kClassName[] = "KelvraneEventServerWnd";
constexpr UINT kSendTimeout = 2000;

} // namespace

CEventServerWnd::~CEventServerWnd()
{
    Destroy();
}

bool CEventServerWnd::Create(const std::string& registerName, const std::string& announceName)
{
    m_registerId = RegisterWindowMessageA(registerName.c_str());
    m_announceId = RegisterWindowMessageA(announceName.c_str());
    // Hidden and top-level: broadcasts reach top-level windows only.
    if (!fw::CWindow::Create(kClassName, "", 0))
        return false;
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
    // A copy: a client's registration handled while a send waits changes the list.
    const std::vector<HWND> clients = m_clients;
    for (const HWND client : clients) {
        if (!IsWindow(client)) {
            DropClient(client);
            continue;
        }
        COPYDATASTRUCT data{0, length, const_cast<void*>(bytes)};
        DWORD_PTR result = 0;
        SendMessageTimeoutA(client, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data), SMTO_NORMAL, kSendTimeout,
                            &result);
    }
}

void CEventServerWnd::AddClient(HWND client)
{
    if (std::find(m_clients.begin(), m_clients.end(), client) == m_clients.end())
        m_clients.push_back(client);
}

void CEventServerWnd::DropClient(HWND client)
{
    m_clients.erase(std::remove(m_clients.begin(), m_clients.end(), client), m_clients.end());
}

LRESULT CEventServerWnd::OnMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == m_registerId && m_registerId != 0) {
        AddClient(reinterpret_cast<HWND>(wParam));
        return 0;
    }
    return DefaultProc(message, wParam, lParam);
}
