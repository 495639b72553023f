#pragma once
// Runs at most one lock-event worker at a time for the library's caller.
#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class CEventClientThread;

class CEventClient {
public:
    CEventClient() = default;
    CEventClient(const CEventClient&) = delete;
    CEventClient& operator=(const CEventClient&) = delete;
    virtual ~CEventClient();

    // Starts a worker for the window and message unless one runs; a worker that has
    // ended on its own counts as none.
    void Start(const std::string& registerName, const std::string& announceName, HWND window, UINT message);
    // Ends the worker (waiting up to 10000 ms) and drops its unread records: 0 when no
    // worker ran or it ended in time, else the wait's result.
    DWORD Stop();
    // Forgets the worker without asking or waiting: for the end of the process, when the
    // system has already ended every other thread.
    void Abandon();
    bool GetEventData(uint32_t id, std::vector<uint8_t>& bytes);

private:
    bool HasWorker() const;

    std::shared_ptr<CEventClientThread> m_worker;
};
