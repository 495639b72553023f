#include "lockcore/EventServerThread.h"

namespace {

constexpr UINT UM_EVENT = WM_APP + 1;  // a wake-up: the events are in the queue

} // namespace

CEventServerThread::CEventServerThread(const std::string& registerName, const std::string& announceName)
    : m_registerName(registerName), m_announceName(announceName)
{
}

CEventServerThread::~CEventServerThread()
{
    Stop();
}

// A failed wake-up leaves the event queued: the thread may be taking events already, and
// the next wake-up, ours or not, delivers it in its turn.
bool CEventServerThread::PostEvent(const void* bytes, uint32_t length)
{
    const auto* first = static_cast<const uint8_t*>(bytes);
    {
        const std::lock_guard<std::mutex> lock(m_queueLock);
        m_queue.emplace_back(first, first + (first ? length : 0));
    }
    return WakeUp();
}

bool CEventServerThread::WakeUp()
{
    return PostThreadMessage(UM_EVENT);
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

// Events still queued when the thread ends are dropped, not delivered.
void CEventServerThread::ExitInstance()
{
    {
        const std::lock_guard<std::mutex> lock(m_queueLock);
        m_queue.clear();
    }
    m_window.reset();
}

// Whatever the message carries: a wake-up, ours or not, only makes the thread look.
void CEventServerThread::OnThreadMessage(UINT message, WPARAM, LPARAM)
{
    if (message == UM_EVENT)
        DeliverQueuedEvents();
}

void CEventServerThread::DeliverQueuedEvents()
{
    std::vector<uint8_t> bytes;
    while (TakeEvent(bytes)) {
        if (m_window && m_window->GetHwnd())
            m_window->Broadcast(bytes.empty() ? nullptr : bytes.data(), static_cast<uint32_t>(bytes.size()));
    }
}

bool CEventServerThread::TakeEvent(std::vector<uint8_t>& bytes)
{
    const std::lock_guard<std::mutex> lock(m_queueLock);
    if (m_queue.empty())
        return false;
    bytes = std::move(m_queue.front());
    m_queue.pop_front();
    return true;
}
