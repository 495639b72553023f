#include "lockcore/EventPublisher.h"

#include "lockcore/EventMessage.h"

CEventPublisher::~CEventPublisher()
{
    Stop();
}

bool CEventPublisher::Start()
{
    return m_server.Start(kEventRegisterMessage, kEventAnnounceMessage);
}

void CEventPublisher::Stop()
{
    m_server.Stop();
}

bool CEventPublisher::Publish(int code)
{
    const std::vector<uint8_t> record = BuildEventMessage(code);
    return m_server.PostEvent(record.data(), static_cast<uint32_t>(record.size()));
}
