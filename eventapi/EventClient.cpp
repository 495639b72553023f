#include "eventapi/EventClient.h"

#include "eventapi/EventClientThread.h"

namespace {

constexpr DWORD kStopWait = 10000;

} // namespace

CEventClient::~CEventClient()
{
    Stop();
}

void CEventClient::Start(const std::string& registerName, const std::string& announceName, HWND window,
                         UINT message)
{
    const std::lock_guard<std::mutex> hold(m_lock);
    if (m_worker && !m_worker->HasEnded())
        return;
    auto worker = std::make_shared<CEventClientThread>(registerName, announceName, window, message);
    if (worker->Start())
        m_worker = std::move(worker);
    else
        m_worker.reset();
}

DWORD CEventClient::Stop()
{
    std::shared_ptr<CEventClientThread> worker;
    {
        const std::lock_guard<std::mutex> hold(m_lock);
        worker = std::move(m_worker);
    }
    if (!worker || worker->HasEnded())
        return 0;
    const DWORD result = worker->Stop(kStopWait);
    return result == WAIT_OBJECT_0 ? 0 : result;
}

void CEventClient::Abandon()
{
    // A killed worker never let go of its own share, so the object is not destroyed here,
    // and the lock is not taken: a killed thread may have died holding it.
    m_worker.reset();
}

bool CEventClient::GetEventData(uint32_t id, std::vector<uint8_t>& bytes)
{
    std::shared_ptr<CEventClientThread> worker;
    {
        const std::lock_guard<std::mutex> hold(m_lock);
        worker = m_worker;
    }
    return worker && worker->TakeEvent(id, bytes);
}
