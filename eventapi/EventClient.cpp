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
    if (HasWorker())
        return;
    auto worker = std::make_shared<CEventClientThread>(registerName, announceName, window, message);
    if (worker->Start())
        m_worker = std::move(worker);
    else
        m_worker.reset();
}

DWORD CEventClient::Stop()
{
    if (!HasWorker()) {
        m_worker.reset();
        return 0;
    }
    const DWORD result = m_worker->Stop(kStopWait);
    m_worker.reset();
    return result == WAIT_OBJECT_0 ? 0 : result;
}

void CEventClient::Abandon()
{
    // A killed worker never let go of its own share, so the object is not destroyed here.
    m_worker.reset();
}

bool CEventClient::GetEventData(uint32_t id, std::vector<uint8_t>& bytes)
{
    return m_worker && m_worker->TakeEvent(id, bytes);
}

bool CEventClient::HasWorker() const
{
    return m_worker && !m_worker->HasEnded();
}
