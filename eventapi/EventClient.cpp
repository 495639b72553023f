#include "eventapi/EventClient.h"

#include "eventapi/EventClientThread.h"

namespace {

constexpr DWORD kStopWait = 10000;
// All a registration may take: making way for an orphaned worker and waiting for the new
// one's window. Long enough for a window under load; a caller holding the loader lock (a
// plug-in's DllMain) keeps the thread from starting until it returns, so the wait ends.
constexpr DWORD kRegisterWait = 3000;

// What is left of a wait that began at `start`.
DWORD Remaining(DWORD start, DWORD wait)
{
    const DWORD spent = GetTickCount() - start;
    return spent < wait ? wait - spent : 0;
}

} // namespace

CEventClient::~CEventClient()
{
    Stop();
}

void CEventClient::Start(const std::string& registerName, const std::string& announceName, HWND window,
                         UINT message)
{
    const DWORD start = GetTickCount();
    StopOrphanedWorker(kRegisterWait);
    std::shared_ptr<CEventClientThread> started;
    {
        const std::lock_guard<std::mutex> hold(m_lock);
        if (m_worker && !m_worker->HasEnded())
            return;
        auto worker = std::make_shared<CEventClientThread>(registerName, announceName, window, message);
        if (!worker->Start()) {
            m_worker.reset();
            return;
        }
        m_worker = started = std::move(worker);
    }
    // So that the worker is announced when the caller goes on; outside the lock, which
    // readers on other threads take.
    started->WaitForWindow(Remaining(start, kRegisterWait));
}

// A worker whose caller's window is gone serves nobody (its caller unloaded the library
// without a stop, or destroyed the window): it makes way for a new registration. One that
// does not end within the wait ends on its own once it runs; the stop was asked for.
void CEventClient::StopOrphanedWorker(DWORD wait)
{
    std::shared_ptr<CEventClientThread> orphan;
    {
        const std::lock_guard<std::mutex> hold(m_lock);
        if (!m_worker || m_worker->CallerWindowExists())
            return;
        orphan = std::move(m_worker);
    }
    orphan->Stop(wait);
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
