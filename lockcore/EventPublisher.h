#pragma once
// The resident program's lock events (EVENT_*), published to client windows under the
// system's registered message names.
#include "lockcore/EventServer.h"

class CEventPublisher {
public:
    virtual ~CEventPublisher();

    bool Start();
    void Stop();
    // Posts the 42-byte record for `code`; false when the server is not running.
    bool Publish(int code);

private:
    CEventServer m_server;
};
