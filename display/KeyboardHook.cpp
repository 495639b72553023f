#include "display/KeyboardHook.h"

#include <atomic>
#include <memory>

#include "common/OSVersion.h"
#include "framework/Handle.h"
#include "framework/Thread.h"
#include "display/LockKeyRule.h"

namespace {

// How often the low-level hook is set afresh.
constexpr UINT kRenewPeriod = 1000;

// Windows calls a low-level hook in the message loop of the thread that set it and drops
// the hook without notice when that loop keeps a key waiting too long. The program's own
// threads wait on devices, files and locks; this one has nothing to do but the hooks, and
// sets the low-level one afresh each period in case Windows dropped it all the same.
class CHookThread : public fw::CThread {
public:
    CHookThread(HOOKPROC classicProc, HOOKPROC lowLevelProc, bool withClassic)
        : m_classicProc(classicProc), m_lowLevelProc(lowLevelProc), m_withClassic(withClassic)
    {
    }
    ~CHookThread() override { Stop(); }

protected:
    // The thread runs only while a hook is set.
    bool InitInstance() override;
    void ExitInstance() override;
    void OnThreadMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    fw::unique_hhook SetLowLevelHook() const;
    void RenewLowLevelHook();

    const HOOKPROC m_classicProc;
    const HOOKPROC m_lowLevelProc;
    const bool m_withClassic;
    fw::unique_hhook m_lowLevel;
    fw::unique_hhook m_classic;
    UINT_PTR m_renewTimer = 0;
};

// Process-wide: Windows calls the procedures without an object.
struct SHookState {
    // The hooks set, for CallNextHookEx; written by the hook thread only.
    std::atomic<HHOOK> lowLevel{nullptr};
    std::atomic<HHOOK> classic{nullptr};
    lockkeys::SKeyboardState keys;  // set before the hook thread starts, then its own
    std::atomic<HWND> keyReleaseWindow{nullptr};
    // Last: at the program's end the thread stops while the rest is still there.
    std::unique_ptr<CHookThread> thread;
};

SHookState& State()
{
    static SHookState state;
    return state;
}

bool CHookThread::InitInstance()
{
    m_lowLevel = SetLowLevelHook();
    if (m_withClassic)
        m_classic.reset(SetWindowsHookExA(WH_KEYBOARD, m_classicProc, GetModuleHandleA(nullptr), 0));
    State().lowLevel = m_lowLevel.get();
    State().classic = m_classic.get();
    m_renewTimer = SetTimer(nullptr, 0, kRenewPeriod, nullptr);
    return m_lowLevel || m_classic;
}

void CHookThread::ExitInstance()
{
    if (m_renewTimer)
        KillTimer(nullptr, m_renewTimer);
    State().lowLevel = nullptr;
    State().classic = nullptr;
    m_lowLevel.reset();
    m_classic.reset();
}

// The timer's message comes with no window, as a thread message.
void CHookThread::OnThreadMessage(UINT message, WPARAM wParam, LPARAM)
{
    if (message == WM_TIMER && wParam == m_renewTimer)
        RenewLowLevelHook();
}

fw::unique_hhook CHookThread::SetLowLevelHook() const
{
    return fw::unique_hhook(SetWindowsHookExA(WH_KEYBOARD_LL, m_lowLevelProc, GetModuleHandleA(nullptr), 0));
}

// Windows 7 and later remove a low-level hook that once answered too late and tell no one.
// The new hook is set before the old one goes, so no key meets none; keys wait for this
// thread meanwhile, as the hooks are called on it.
void CHookThread::RenewLowLevelHook()
{
    fw::unique_hhook renewed = SetLowLevelHook();
    if (!renewed)
        return;  // the old one, if Windows still has it, stays
    State().lowLevel = renewed.get();
    m_lowLevel = std::move(renewed);
}

LRESULT CALLBACK PassLowLevelKey(int code, WPARAM wParam, LPARAM lParam)
{
    return CallNextLowLevelKeyboardHook(code, wParam, lParam);
}

LRESULT CALLBACK PassKey(int code, WPARAM wParam, LPARAM lParam)
{
    return CallNextKeyboardHook(code, wParam, lParam);
}

// The keys down now: their presses went by before the hook, so their releases must too.
lockkeys::SKeyboardState KeysDownNow()
{
    lockkeys::SKeyboardState keys;
    for (unsigned key = 1; key < lockkeys::kKeyCount; ++key)
        if (GetAsyncKeyState(static_cast<int>(key)) < 0)
            keys.MarkHeld(key);
    return keys;
}

bool IsWindows9x()
{
    if (GetPlatformType() == 0)
        InitPlatformType();
    return GetPlatformType() == PLATFORM_9X;
}

} // namespace

// Returns once the hooks are set (or could not be), so the keys typed next meet them.
BOOL CKeyboardHook::Install(HOOKPROC classicProc, HOOKPROC lowLevelProc)
{
    SHookState& state = State();
    if (state.thread)
        return TRUE;
    state.keys = KeysDownNow();
    auto thread = std::make_unique<CHookThread>(classicProc ? classicProc : PassKey,
                                                lowLevelProc ? lowLevelProc : PassLowLevelKey, IsWindows9x());
    // Highest: it answers each key at once, even while the program's other threads keep
    // the processor busy.
    if (!thread->Start(THREAD_PRIORITY_HIGHEST))
        return FALSE;
    state.thread = std::move(thread);
    return TRUE;
}

// Returns once the hooks are gone and their thread has ended.
BOOL CKeyboardHook::Remove()
{
    State().thread.reset();
    return TRUE;
}

bool CKeyboardHook::IsInstalled()
{
    return State().thread != nullptr;
}

void SetKeyReleaseWindow(HWND window)
{
    State().keyReleaseWindow = window;
}

LRESULT CallNextKeyboardHook(int code, WPARAM wParam, LPARAM lParam)
{
    return CallNextHookEx(State().classic, code, wParam, lParam);
}

LRESULT CallNextLowLevelKeyboardHook(int code, WPARAM wParam, LPARAM lParam)
{
    return CallNextHookEx(State().lowLevel, code, wParam, lParam);
}

LRESULT CALLBACK LockLowLevelKeyboardProc(int code, WPARAM wParam, LPARAM lParam)
{
    if (code != HC_ACTION)
        return CallNextLowLevelKeyboardHook(code, wParam, lParam);
    const auto* key = reinterpret_cast<const KBDLLHOOKSTRUCT*>(lParam);
    SHookState& state = State();
    const lockkeys::SVerdict verdict =
        lockkeys::Decide(static_cast<unsigned>(wParam), static_cast<unsigned>(key->vkCode), state.keys);
    const HWND window = state.keyReleaseWindow;
    if (verdict.released && window)
        PostMessageA(window, UM_KEY_RELEASED, 0, 0);  // to the window's own thread
    return verdict.swallow ? 1 : CallNextLowLevelKeyboardHook(code, wParam, lParam);
}

LRESULT CALLBACK LockKeyboardProc(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HC_ACTION && (wParam == VK_LWIN || wParam == VK_RWIN))
        return 1;
    return CallNextKeyboardHook(code, wParam, lParam);
}
