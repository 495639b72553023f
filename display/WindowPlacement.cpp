#include "display/WindowPlacement.h"

#include <algorithm>

namespace {

// No lock window has them of its own: another program added them.
constexpr LONG_PTR kForeignExtendedStyles = WS_EX_LAYERED | WS_EX_TRANSPARENT | WS_EX_NOACTIVATE;

void CenterOn(HWND window, const RECT& area)
{
    RECT own = {};
    GetWindowRect(window, &own);
    const int width = own.right - own.left;
    const int height = own.bottom - own.top;
    const int x = area.left + (area.right - area.left - width) / 2;
    const int y = area.top + (area.bottom - area.top - height) / 2;
    SetWindowPos(window, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// Out of its parent, as a top-level pop-up of its own.
void MoveToDesktop(HWND window)
{
    const LONG_PTR style = GetWindowLongPtrA(window, GWL_STYLE);
    constexpr LONG_PTR child = WS_CHILD, popup = static_cast<LONG_PTR>(WS_POPUP);
    if (style & child)
        SetWindowLongPtrA(window, GWL_STYLE, (style & ~child) | popup);
    SetParent(window, nullptr);
}

bool IsOtherProgramsWindow(HWND window)
{
    DWORD processId = 0;
    return GetWindowThreadProcessId(window, &processId) && processId != GetCurrentProcessId();
}

// Another program's window goes out whole, with its own children; the lock window's own
// children (its controls) are searched in turn.
void MoveOtherProgramsChildrenOut(HWND window)
{
    for (HWND child = GetWindow(window, GW_CHILD); child;) {
        const HWND next = GetWindow(child, GW_HWNDNEXT);
        if (IsOtherProgramsWindow(child))
            MoveToDesktop(child);
        else
            MoveOtherProgramsChildrenOut(child);
        child = next;
    }
}

BOOL CALLBACK DisownIfLockOwned(HWND window, LPARAM lockWindows)
{
    const auto& locks = *reinterpret_cast<const std::vector<HWND>*>(lockWindows);
    const HWND owner = GetWindow(window, GW_OWNER);
    if (owner && std::find(locks.begin(), locks.end(), owner) != locks.end() && IsOtherProgramsWindow(window))
        SetWindowLongPtrA(window, GWLP_HWNDPARENT, 0);
    return TRUE;
}

} // namespace

void CenterOnOwner(HWND window)
{
    const HWND owner = GetWindow(window, GW_OWNER);
    if (!owner || !IsWindowVisible(owner) || IsIconic(owner)) {
        CenterOnScreen(window);
        return;
    }
    RECT area = {};
    GetWindowRect(owner, &area);
    CenterOn(window, area);
}

void CenterOnScreen(HWND window)
{
    CenterOn(window, {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)});
}

RECT ChildRect(HWND child)
{
    RECT rect = {};
    GetWindowRect(child, &rect);
    MapWindowPoints(nullptr, GetParent(child), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

bool IsPutAwayCommand(WPARAM command)
{
    switch (command & 0xFFF0) {  // the low four bits are the system's own
    case SC_MINIMIZE:
    case SC_MAXIMIZE:
    case SC_MOVE:
    case SC_SIZE:
    case SC_CLOSE:
        return true;
    default:
        return false;
    }
}

void KeepAt(HWND window, const RECT& rect)
{
    TakeBack(window);
    if (IsIconic(window))
        ShowWindow(window, SW_SHOWNOACTIVATE);  // restores it; the re-raise activates
    RECT now = {};
    GetWindowRect(window, &now);
    if (IsWindowVisible(window) && EqualRect(&now, &rect))
        return;
    SetWindowPos(window, HWND_TOPMOST, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
                 SWP_SHOWWINDOW | SWP_NOACTIVATE);
}

void TakeBack(HWND window)
{
    if (GetAncestor(window, GA_PARENT) != GetDesktopWindow())
        MoveToDesktop(window);
    const LONG_PTR extended = GetWindowLongPtrA(window, GWL_EXSTYLE);
    if (extended & kForeignExtendedStyles)
        SetWindowLongPtrA(window, GWL_EXSTYLE, extended & ~kForeignExtendedStyles);
    RECT region{};
    if (GetWindowRgnBox(window, &region) != ERROR)  // no lock window has a region of its own
        SetWindowRgn(window, nullptr, TRUE);
}

void LetGoOfOtherProgramsWindows(const std::vector<HWND>& lockWindows)
{
    for (const HWND window : lockWindows)
        MoveOtherProgramsChildrenOut(window);
    EnumWindows(DisownIfLockOwned, reinterpret_cast<LPARAM>(&lockWindows));
}
