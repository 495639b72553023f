#pragma once
// Publishes lock events to the client windows of other programs from a thread of its own.
#include <cstdint>
#include <memory>
#include <string>

#include "lockcore/EventServerThread.h"

class CEventServer {
public:
    CEventServer() = default;
    CEventServer(const CEventServer&) = delete;
    CEventServer& operator=(const CEventServer&) = delete;
    virtual ~CEventServer();

    // Starts the thread, whose window announces itself before Start returns, so an event
    // published right after is not lost. True when running (also when it already was).
    bool Start(const std::string& registerName, const std::string& announceName);
    // Ends the thread (up to 10000 ms, then forced).
    void Stop();
    // Queues the bytes for delivery; false when not running.
    bool PostEvent(const void* bytes, uint32_t length);

private:
    std::unique_ptr<CEventServerThread> m_thread;
};
