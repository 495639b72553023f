#include "eventapi/EventSubscriber.h"

#include <vector>

#include "lockcore/EventMessage.h"

void CEventSubscriber::Register(HWND window, UINT message)
{
    m_client.Start(kEventRegisterMessage, kEventAnnounceMessage, window, message);
}

bool CEventSubscriber::GetEventData(uint32_t id, int& code)
{
    std::vector<uint8_t> record;
    if (!m_client.GetEventData(id, record))
        return false;
    // The store keeps at most 42 bytes, so "at least 42 with the marker" is "exactly 42".
    int32_t parsed = 0;
    if (!ParseEventMessage(record.data(), record.size(), parsed)) {
        code = 0;
        return false;
    }
    code = parsed;
    return true;
}
