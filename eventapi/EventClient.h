#pragma once
// Runs at most one lock-event worker at a time for the library's caller. The worker is
// shared: a reader on another thread keeps the one it took valid through a stop.
#include <windows.h>

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

class CEventClientThread;

class CEventClient {
public:
    CEventClient() = default;
    CEventClient(const CEventClient&) = delete;
    CEventClient& operator=(const CEventClient&) = delete;
    virtual ~CEventClient();

    // Starts a worker for the window and message unless one runs, and returns once its
    // window exists or within 3000 ms in all; a worker that has ended on its own, or whose
    // caller's window is gone, counts as none (the latter is asked to end).
    void Start(const std::string& registerName, const std::string& announceName, HWND window, UINT message);
    // Ends the worker (waiting up to 10000 ms) and drops its unread records: 0 when no
    // worker ran or it ended in time, else the wait's result.
    DWORD Stop();
    // Forgets the worker without asking or waiting: for the end of the process, when the
    // system has already ended every other thread.
    void Abandon();
    bool GetEventData(uint32_t id, std::vector<uint8_t>& bytes);

private:
    void StopOrphanedWorker(DWORD wait);

    std::mutex m_lock;  // guards the pointer, never held while waiting
    std::shared_ptr<CEventClientThread> m_worker;
};
