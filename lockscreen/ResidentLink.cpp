#include "lockscreen/ResidentLink.h"

BOOL CResidentLink::Start(const std::string& id, Corvantis::SLockScreen* listener)
{
    if (ConnectClient(id) && StartServer(id, listener))
        return TRUE;
    Stop();
    return FALSE;
}

void CResidentLink::Stop()
{
    m_client.reset();
    if (m_thread) {
        m_thread->Stop();
        m_thread.reset();
    }
    m_server.reset();
}

BOOL CResidentLink::ConnectClient(const std::string& id)
{
    try {
        m_client = std::make_unique<CScreenEventClient>(id);
        return m_client->Connect();
    } catch (...) {
        return FALSE;
    }
}

BOOL CResidentLink::StartServer(const std::string& id, Corvantis::SLockScreen* listener)
{
    try {
        m_server = std::make_unique<CScreenCommandServer>(id, listener);
        m_thread = CServerThread::Start(*m_server);  // null unless the thread serves
        return m_thread != nullptr;
    } catch (...) {
        return FALSE;
    }
}
