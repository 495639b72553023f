#include "lockcore/EventServerThread.h"

#include <vector>

namespace {

constexpr UINT UM_EVENT = WM_APP + 1;  // wParam: heap std::vector<uint8_t>* (owned), lParam: length

} // namespace

CEventServerThread::CEventServerThread(const std::string& registerName, const std::string& announceName)
    : m_registerName(registerName), m_announceName(announceName)
{
}

CEventServerThread::~CEventServerThread()
{
    Stop();
}

bool CEventServerThread::PostEvent(const void* bytes, uint32_t length)
{
    std::unique_ptr<std::vector<uint8_t>> block;
    if (length != 0) {
        const auto* first = static_cast<const uint8_t*>(bytes);
        block = std::make_unique<std::vector<uint8_t>>(first, first + length);
    }
    if (!PostThreadMessage(UM_EVENT, reinterpret_cast<WPARAM>(block.get()), static_cast<LPARAM>(length)))
        return false;
    block.release();  // the message owns it now
    return true;
}

bool CEventServerThread::InitInstance()
{
    m_window = std::make_unique<CEventServerWnd>();
    if (!m_window->Create(m_registerName, m_announceName)) {
        m_window.reset();
        return false;
    }
    return true;
}

void CEventServerThread::ExitInstance()
{
    DropQueuedEvents();
    m_window.reset();
}

void CEventServerThread::OnThreadMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == UM_EVENT)
        OnEvent(reinterpret_cast<std::vector<uint8_t>*>(wParam), static_cast<uint32_t>(lParam));
}

void CEventServerThread::OnEvent(std::vector<uint8_t>* block, uint32_t length)
{
    std::unique_ptr<std::vector<uint8_t>> owned(block);
    if (m_window && m_window->GetHwnd())
        m_window->Broadcast(owned ? owned->data() : nullptr, owned ? length : 0);
}

// Events still queued when the thread ends are freed, not delivered.
void CEventServerThread::DropQueuedEvents()
{
    MSG msg;
    while (PeekMessageA(&msg, reinterpret_cast<HWND>(-1), UM_EVENT, UM_EVENT, PM_REMOVE))
        delete reinterpret_cast<std::vector<uint8_t>*>(msg.wParam);
}
