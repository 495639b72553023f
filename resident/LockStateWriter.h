#pragma once
// Stores the lock state in the settings file without holding up the lock display or
// whatever thread asks. Another program may hold the file (a reader denies writing) or
// its lock (a save, or a program that hangs holding it) for a while; a state that does
// not land at once is handed to a thread of this writer's own, which keeps the newest
// state wanted and tries it again, with a growing back-off, until it lands. When the
// session ends, and at the writer's end, a state still not stored gets its waiting attempt
// before the caller goes on.
#include <windows.h>

#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>

class CLockStateWriter {
public:
    // One attempt to store `lock`; throws when it did not land. With `wait` false it
    // never waits (for another program's save, or a move to be tried again), and returns
    // false for a state it could not finish: in force, but the file not in its place yet.
    using Store = std::function<bool(int lock, bool wait)>;

    static constexpr DWORD kFirstBackOff = 100;
    static constexpr DWORD kLongestBackOff = 2000;

    explicit CLockStateWriter(Store store, DWORD firstBackOff = kFirstBackOff);
    CLockStateWriter(const CLockStateWriter&) = delete;
    CLockStateWriter& operator=(const CLockStateWriter&) = delete;
    ~CLockStateWriter();

    // Stores `lock` at once when nothing is in the way (the file then holds it on return,
    // as before any event that tells of it), else leaves it to the writer's thread. Never
    // waits for another program.
    void Write(int lock);
    // The state asked for last that has not landed yet.
    std::optional<int> Unwritten() const;
    // Makes the waiting attempt now for a state not stored yet (once the thread's attempt
    // under way has ended) and returns whether the file holds the state asked for last.
    bool Finish();

private:
    bool TryStore(int lock, bool wait) const;
    // The waiting attempt, made without the mutex that `guard` holds before and after;
    // true when it landed. A state asked for meanwhile stays unwritten.
    bool StoreWaiting(std::unique_lock<std::mutex>& guard, int lock);
    void Run();

    const Store m_store;
    const DWORD m_firstBackOff;
    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    std::optional<int> m_unwritten;
    bool m_storing = false;      // the thread, or Finish, is trying a state
    bool m_stopping = false;
    DWORD m_backOff;
    std::thread m_thread;        // last: it starts once every other member is ready
};
