#pragma once
// A lock-event client for tests and tools, outside the resident program's process: a
// hidden window on its own thread that registers with the event server of one process
// (again whenever a server announces itself) and records each event with the time it
// arrived. Unlike the client library it registers with that process's windows only, so
// that event servers of other tests running beside it never reach it.
#include <windows.h>

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <optional>

#include "framework/Thread.h"

struct SReceivedEvent {
    int code;
    std::int64_t arrived;  // QueryPerformanceCounter
};

class CEventClient : public fw::CThread {
public:
    ~CEventClient() override { Stop(); }

    // Registers with the top-level windows of this process from now on.
    void Follow(DWORD processId);
    // Registers again (the client library does so at its start and on every announce).
    void Register() const;
    // The next event not taken yet, waiting up to `timeout` ms; none when none came.
    std::optional<SReceivedEvent> Next(DWORD timeout);
    // Forgets the events received so far.
    void Clear();

protected:
    bool InitInstance() override;
    void ExitInstance() override;

private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    void OnCopyData(const COPYDATASTRUCT& data);

    HWND m_window = nullptr;
    std::atomic<DWORD> m_serverProcess{0};
    UINT m_registerMessage = 0;
    UINT m_announceMessage = 0;
    std::mutex m_lock;
    std::condition_variable m_arrived;
    std::deque<SReceivedEvent> m_events;
};

// How long a test waits before it takes "no event" as nothing happened: longer than the
// slowest legitimate reaction, an unlock, which publishes its event once the lock display
// is hidden. In the test sessions that takes about 0.15 s (0.25 s seen); where Wine waits
// for a window manager (2 s for each window it hides, on an X display without one) about
// 2.3 s with the one window of these tests.
constexpr DWORD kQuietWait = 3000;

// Milliseconds between two QueryPerformanceCounter values.
double ElapsedMs(std::int64_t from, std::int64_t to);
std::int64_t PerformanceNow();
