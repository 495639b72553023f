#include "lockscreen/ScreenLockCore.h"

BOOL CScreenLockCore::Start(const std::string& id)
{
    if (id.empty())
        throw EXCEPTION_NO_INSTANCE_ID;
    m_instanceId = id;
    if (!m_instanceMutex.Lock(kInstanceWait))
        throw EXCEPTION_ALREADY_RUNNING;
    return TRUE;
}

void CScreenLockCore::Stop()
{
    m_controller.SetLink(nullptr);
    m_link.Stop();
    m_instanceMutex.Unlock();
}

BOOL CScreenLockCore::Connect()
{
    if (!m_link.Start(m_instanceId, &m_controller))
        return FALSE;
    m_controller.SetLink(&m_link);
    return TRUE;
}

Corvantis::SLockScreen* CScreenLockCore::GetController(HWND window, UINT message)
{
    m_controller.SetTarget(window, message);
    return &m_controller;
}

BOOL CScreenLockCore::IsAlive()
{
    CScreenEventClient* client = m_link.EventClient();
    return client && client->IsServerAlive();
}
