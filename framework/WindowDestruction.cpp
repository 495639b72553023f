#include "framework/WindowDestruction.h"

#include <algorithm>
#include <new>
#include <vector>

namespace fw {
namespace {

struct SThreadDestructions {
    HHOOK hook = nullptr;
    int watched = 0;
    std::vector<HWND> underway;  // windows DestroyWindow has begun on, newest last
};

// Made at the thread's first Watch and freed at its last Unwatch, never by the runtime's
// thread-exit handling: a library's windows may go in its DLL_PROCESS_DETACH, after the
// runtime has torn down the library's thread-local objects.
thread_local SThreadDestructions* t_destructions = nullptr;

// Notes of windows that are gone are dropped: several objects may sit on one window, and
// none of them knows whether it sees the window's very last message.
std::vector<HWND>& PrunedUnderway(SThreadDestructions& state)
{
    std::vector<HWND>& underway = state.underway;
    underway.erase(std::remove_if(underway.begin(), underway.end(), [](HWND w) { return !IsWindow(w); }),
                   underway.end());
    return underway;
}

LRESULT CALLBACK OnCbt(int code, WPARAM wParam, LPARAM lParam)
{
    const LRESULT refused = CallNextHookEx(nullptr, code, wParam, lParam);
    if (code == HCBT_DESTROYWND && !refused && t_destructions)
        PrunedUnderway(*t_destructions).push_back(reinterpret_cast<HWND>(wParam));
    return refused;
}

// Windows destroys a window with its parent. Where that parent is another thread's (a
// program made the window its child), the destruction runs without a DestroyWindow on
// this thread, so its hook notes nothing: such a window counts as going with it.
bool GoesWithAnotherThreadsParent(HWND window)
{
    const HWND parent = GetAncestor(window, GA_PARENT);
    if (!parent || parent == GetDesktopWindow())
        return false;
    return !IsWindow(parent) || GetWindowThreadProcessId(parent, nullptr) != GetCurrentThreadId();
}

} // namespace

void CWindowDestruction::Watch()
{
    if (!t_destructions)
        t_destructions = new (std::nothrow) SThreadDestructions;
    if (!t_destructions)
        return;
    if (t_destructions->watched++ == 0)
        t_destructions->hook = SetWindowsHookExA(WH_CBT, OnCbt, nullptr, GetCurrentThreadId());
}

void CWindowDestruction::Unwatch()
{
    SThreadDestructions* const state = t_destructions;
    if (!state || --state->watched > 0)
        return;
    if (state->hook)
        UnhookWindowsHookEx(state->hook);
    delete state;
    t_destructions = nullptr;
}

bool CWindowDestruction::IsUnderway(HWND window)
{
    if (!t_destructions || !t_destructions->hook || GoesWithAnotherThreadsParent(window))
        return true;
    const std::vector<HWND>& underway = PrunedUnderway(*t_destructions);
    return std::any_of(underway.begin(), underway.end(),
                       [window](HWND w) { return w == window || IsChild(w, window); });
}

} // namespace fw
