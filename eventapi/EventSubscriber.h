#pragma once
// What the library's three exports do: register the caller's window for lock events,
// stop, and hand out each event's code once.
#include <windows.h>

#include <cstdint>

#include "eventapi/EventClient.h"

class CEventSubscriber {
public:
    virtual ~CEventSubscriber() = default;

    void Register(HWND window, UINT message);
    DWORD Unregister() { return m_client.Stop(); }
    void Abandon() { m_client.Abandon(); }
    // False, code untouched, when no record has the id; otherwise the record is gone and
    // the result is its check (false with code 0 for a record that is no lock event).
    bool GetEventData(uint32_t id, int& code);

private:
    CEventClient m_client;
};
