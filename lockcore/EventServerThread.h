#pragma once
// The event server's thread: it owns the hidden window and hands it each event, in the
// order they were posted. The events wait in a queue of the object's own; the thread
// message only wakes the thread, so one that another program posts carries nothing.
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "framework/Thread.h"
#include "lockcore/EventServerWnd.h"

class CEventServerThread : public fw::CThread {
public:
    CEventServerThread(const std::string& registerName, const std::string& announceName);
    ~CEventServerThread() override;

    // Queues a copy of the bytes and wakes the thread; false when the wake-up cannot be
    // posted (the copy stays queued and goes with the next wake-up).
    bool PostEvent(const void* bytes, uint32_t length);

protected:
    // Posts the wake-up; false when it cannot be posted (the thread's queue is full or gone).
    virtual bool WakeUp();
    bool InitInstance() override;
    void ExitInstance() override;
    void OnThreadMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void DeliverQueuedEvents();
    bool TakeEvent(std::vector<uint8_t>& bytes);

    std::string m_registerName;
    std::string m_announceName;
    std::unique_ptr<CEventServerWnd> m_window;
    std::mutex m_queueLock;
    std::deque<std::vector<uint8_t>> m_queue;
};
