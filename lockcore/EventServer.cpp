#include "lockcore/EventServer.h"

CEventServer::~CEventServer()
{
    Stop();
}

bool CEventServer::Start(const std::string& registerName, const std::string& announceName)
{
    if (m_thread)
        return true;
    auto thread = std::make_unique<CEventServerThread>(registerName, announceName);
    if (!thread->Start())
        return false;  // no thread, or its window could not be created
    m_thread = std::move(thread);
    return true;
}

void CEventServer::Stop()
{
    if (!m_thread)
        return;
    m_thread->Stop(10000);
    m_thread.reset();
}

bool CEventServer::PostEvent(const void* bytes, uint32_t length)
{
    return m_thread && m_thread->PostEvent(bytes, length);
}
