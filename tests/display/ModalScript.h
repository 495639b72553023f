#pragma once
// Drives modal runs from inside: a thread timer runs the steps one after the other while
// whatever modal loops are open dispatch it. An action runs once (its modal run may open
// a nested loop, in which the following steps go on); a wait is retried on every tick
// until its condition holds. Past the deadline the script fails and calls `abandon`.
#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <vector>

class ModalScript {
public:
    explicit ModalScript(std::function<void()> abandon) : m_abandon(std::move(abandon)) {}
    ~ModalScript() { Stop(); }

    ModalScript& Do(std::function<void()> action)
    {
        m_steps.push_back({false, [action] { action(); return true; }});
        return *this;
    }
    ModalScript& WaitFor(std::function<bool()> condition)
    {
        m_steps.push_back({true, std::move(condition)});
        return *this;
    }

    // Starts ticking; the modal run that follows dispatches the ticks.
    void Start()
    {
        s_current = this;
        m_deadline = GetTickCount() + 20000;
        m_timer = SetTimer(nullptr, 0, 20, &ModalScript::OnTick);
    }
    void Stop()
    {
        if (m_timer)
            KillTimer(nullptr, m_timer);
        m_timer = 0;
        if (s_current == this)
            s_current = nullptr;
    }
    bool Finished() const { return m_next == m_steps.size(); }

private:
    struct Step {
        bool wait;
        std::function<bool()> run;
    };

    static void CALLBACK OnTick(HWND, UINT, UINT_PTR, DWORD)
    {
        if (s_current)
            s_current->Tick();
    }

    void Tick()
    {
        if (m_next >= m_steps.size())
            return;
        if (static_cast<LONG>(GetTickCount() - m_deadline) > 0) {
            ADD_FAILURE() << "script step " << m_next << " never happened";
            m_next = m_steps.size();
            m_abandon();
            return;
        }
        const std::size_t index = m_next;
        if (!m_steps[index].wait) {
            ++m_next;  // before it runs: a nested modal loop goes on with the next step
            m_steps[index].run();
        } else if (m_steps[index].run()) {
            ++m_next;
        }
    }

    inline static ModalScript* s_current = nullptr;
    std::vector<Step> m_steps;
    std::size_t m_next = 0;
    std::function<void()> m_abandon;
    UINT_PTR m_timer = 0;
    DWORD m_deadline = 0;
};

// Handles messages until the condition holds or 10 s pass; false on time-out.
inline bool PumpUntil(const std::function<bool()>& condition, DWORD timeoutMs = 10000)
{
    const DWORD start = GetTickCount();
    while (!condition()) {
        if (GetTickCount() - start > timeoutMs)
            return false;
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
    }
    return true;
}
