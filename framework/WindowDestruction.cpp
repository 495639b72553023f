#include "framework/WindowDestruction.h"

#include <algorithm>
#include <vector>

namespace fw {
namespace {

struct SThreadDestructions {
    HHOOK hook = nullptr;
    int watched = 0;
    std::vector<HWND> underway;  // windows DestroyWindow has begun on, newest last
};

thread_local SThreadDestructions t_destructions;

// Notes of windows that are gone are dropped: several objects may sit on one window, and
// none of them knows whether it sees the window's very last message.
std::vector<HWND>& PrunedUnderway()
{
    std::vector<HWND>& underway = t_destructions.underway;
    underway.erase(std::remove_if(underway.begin(), underway.end(), [](HWND w) { return !IsWindow(w); }),
                   underway.end());
    return underway;
}

void Note(HWND window)
{
    PrunedUnderway().push_back(window);
}

LRESULT CALLBACK OnCbt(int code, WPARAM wParam, LPARAM lParam)
{
    const LRESULT refused = CallNextHookEx(nullptr, code, wParam, lParam);
    if (code == HCBT_DESTROYWND && !refused)
        Note(reinterpret_cast<HWND>(wParam));
    return refused;
}

} // namespace

void CWindowDestruction::Watch()
{
    SThreadDestructions& state = t_destructions;
    if (state.watched++ == 0)
        state.hook = SetWindowsHookExA(WH_CBT, OnCbt, nullptr, GetCurrentThreadId());
}

void CWindowDestruction::Unwatch()
{
    SThreadDestructions& state = t_destructions;
    if (state.watched == 0 || --state.watched != 0)
        return;
    if (state.hook)
        UnhookWindowsHookEx(state.hook);
    state.hook = nullptr;
    state.underway.clear();
}

bool CWindowDestruction::IsUnderway(HWND window)
{
    if (!t_destructions.hook)
        return true;
    const std::vector<HWND>& underway = PrunedUnderway();
    return std::any_of(underway.begin(), underway.end(),
                       [window](HWND w) { return w == window || IsChild(w, window); });
}

} // namespace fw
