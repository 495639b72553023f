#include "framework/WindowDestruction.h"

#include <algorithm>
#include <new>
#include <utility>
#include <vector>

namespace fw {
namespace {

// How often a thread with held messages looks whether their windows are gone.
constexpr UINT kHeldCheckPeriod = 50;
// How long a held message waits at least: the thread that destroys the parent may still be
// on its way to freeing the window it has just unlinked.
constexpr DWORD kHeldAtLeast = 1000;

// A destroy message held back for the object bound to the window.
struct SHeld {
    HWND window;
    const void* owner;
    UINT message;
    std::function<void()> take;
    DWORD since;  // GetTickCount at its coming
};

struct SThreadDestructions {
    HHOOK hook = nullptr;
    int watched = 0;
    std::vector<HWND> underway;  // windows DestroyWindow has begun on, newest last
    std::vector<SHeld> held;     // in the order they came
    UINT_PTR heldCheck = 0;      // the thread timer that looks at them
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
// this thread, so its hook notes nothing.
bool GoesWithAnotherThreadsParent(HWND window)
{
    const HWND parent = GetAncestor(window, GA_PARENT);
    if (!parent || parent == GetDesktopWindow())
        return false;
    return !IsWindow(parent) || GetWindowThreadProcessId(parent, nullptr) != GetCurrentThreadId();
}

bool IsUnderway(SThreadDestructions& state, HWND window)
{
    const std::vector<HWND>& underway = PrunedUnderway(state);
    return std::any_of(underway.begin(), underway.end(),
                       [window](HWND w) { return w == window || IsChild(w, window); });
}

void StopHeldCheck(SThreadDestructions& state)
{
    if (state.heldCheck)
        KillTimer(nullptr, state.heldCheck);
    state.heldCheck = 0;
}

// Takes out the first held message that `pick` chooses and takes it; false when none.
// One at a time: taking one may destroy windows and objects that have messages held too.
template <typename Pick>
bool TakeOne(Pick pick)
{
    SThreadDestructions* const state = t_destructions;
    if (!state)
        return false;
    const auto found = std::find_if(state->held.begin(), state->held.end(), pick);
    if (found == state->held.end())
        return false;
    const std::function<void()> take = std::move(found->take);
    state->held.erase(found);
    take();
    return true;
}

// A window that is no longer another thread's child outlived its messages; one that is
// gone went with its parent, and they are its own.
void CALLBACK CheckHeld(HWND, UINT, UINT_PTR, DWORD)
{
    if (SThreadDestructions* const state = t_destructions) {
        const DWORD now = GetTickCount();
        std::erase_if(state->held, [now](const SHeld& h) {
            return now - h.since >= kHeldAtLeast && IsWindow(h.window) && !GoesWithAnotherThreadsParent(h.window);
        });
    }
    while (TakeOne([](const SHeld& h) { return !IsWindow(h.window); })) {
    }
    if (SThreadDestructions* const state = t_destructions; state && state->held.empty())
        StopHeldCheck(*state);
}

void Hold(SThreadDestructions& state, SHeld held)
{
    const bool known = std::any_of(state.held.begin(), state.held.end(), [&held](const SHeld& h) {
        return h.owner == held.owner && h.message == held.message;
    });
    if (known)
        return;  // a message repeated waits once
    state.held.push_back(std::move(held));
    if (!state.heldCheck)
        state.heldCheck = SetTimer(nullptr, 0, kHeldCheckPeriod, CheckHeld);
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

void CWindowDestruction::Unwatch(const void* owner)
{
    SThreadDestructions* const state = t_destructions;
    if (!state)
        return;
    std::erase_if(state->held, [owner](const SHeld& h) { return h.owner == owner; });
    if (--state->watched > 0)
        return;
    StopHeldCheck(*state);
    if (state->hook)
        UnhookWindowsHookEx(state->hook);
    delete state;
    t_destructions = nullptr;
}

bool CWindowDestruction::TakesNow(HWND window, const void* owner, UINT message, std::function<void()> take)
{
    SThreadDestructions* const state = t_destructions;
    if (!state || !state->hook || IsUnderway(*state, window))
        return true;
    if (GoesWithAnotherThreadsParent(window))
        Hold(*state, {window, owner, message, std::move(take), GetTickCount()});
    return false;
}

void CWindowDestruction::TakeHeldIfGone(const void* owner)
{
    while (TakeOne([owner](const SHeld& h) { return h.owner == owner && !IsWindow(h.window); })) {
    }
}

} // namespace fw
