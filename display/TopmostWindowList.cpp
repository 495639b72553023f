#include "display/TopmostWindowList.h"

#include "display/WindowPlacement.h"

#include <algorithm>

namespace {

// The visible top-level windows from the top of the z-order begin with `stack`, in its
// order, each top-most. Only the windows down to the last of `stack` are looked at.
bool IsOnTop(const std::vector<HWND>& stack)
{
    std::size_t next = 0;
    for (HWND window = GetTopWindow(nullptr); window && next < stack.size(); window = GetWindow(window, GW_HWNDNEXT)) {
        if (!IsWindowVisible(window))
            continue;
        if (window != stack[next] || !(GetWindowLongPtrA(window, GWL_EXSTYLE) & WS_EX_TOPMOST))
            return false;
        ++next;
    }
    return next == stack.size();
}

// From the bottom up, each window to the top of the top-most windows: the first of `stack`
// ends on top.
void Stack(const std::vector<HWND>& stack)
{
    for (auto window = stack.rbegin(); window != stack.rend(); ++window)
        SetWindowPos(*window, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

} // namespace

CTopmostWindowList::CHold::CHold(HANDLE semaphore) : m_semaphore(semaphore)
{
    WaitForSingleObject(m_semaphore, INFINITE);
}

CTopmostWindowList::CHold::~CHold()
{
    ReleaseSemaphore(m_semaphore, 1, nullptr);
}

CTopmostWindowList::CTopmostWindowList() : m_lock(CreateSemaphoreA(nullptr, 1, 1, nullptr)) {}

bool CTopmostWindowList::Add(HWND window)
{
    CHold hold(m_lock.get());
    if (std::find(m_windows.begin(), m_windows.end(), window) != m_windows.end())
        return false;
    m_windows.push_back(window);
    return true;
}

bool CTopmostWindowList::Remove(HWND window)
{
    CHold hold(m_lock.get());
    const auto found = std::find(m_windows.begin(), m_windows.end(), window);
    if (found == m_windows.end())
        return false;
    m_windows.erase(found);
    return true;
}

void CTopmostWindowList::CopyTo(std::vector<HWND>& windows)
{
    windows.clear();
    CHold hold(m_lock.get());
    windows = m_windows;
}

void CTopmostWindowList::BringLastToTop(HWND insertAfter)
{
    // The forcing runs outside the lock: the window messages it sets off may reach a
    // handler that uses the list again.
    if (const HWND window = TakeWindowToRaise())
        ForceForegroundWindow(window, insertAfter);
}

void CTopmostWindowList::KeepOnTop(const std::vector<HWND>& below)
{
    std::vector<HWND> listed;
    CopyTo(listed);
    std::vector<HWND> stack;
    for (auto window = listed.rbegin(); window != listed.rend(); ++window)
        if (IsWindow(*window))
            stack.push_back(*window);
    if (stack.empty())
        return;  // no lock display that the windows belong to
    stack.insert(stack.end(), below.begin(), below.end());
    for (const HWND window : stack)
        TakeBack(window);
    LetGoOfOtherProgramsWindows(stack);
    // A hidden window (a password dialog that waits for the key state) has no place to keep.
    std::erase_if(stack, [](HWND window) { return !IsWindowVisible(window); });
    if (!IsOnTop(stack))
        Stack(stack);
}

// Only the newest live window counts; a hidden or foreground one ends the search.
HWND CTopmostWindowList::TakeWindowToRaise()
{
    CHold hold(m_lock.get());
    while (!m_windows.empty()) {
        const HWND last = m_windows.back();
        if (!IsWindow(last)) {
            m_windows.pop_back();
            continue;
        }
        if (IsWindowVisible(last) && GetForegroundWindow() != last)
            return last;
        return nullptr;
    }
    return nullptr;
}

void ForceForegroundWindow(HWND window, HWND insertAfter)
{
    if (!IsWindow(window))
        return;
    const DWORD foregroundThread = GetWindowThreadProcessId(GetForegroundWindow(), nullptr);
    const DWORD windowThread = GetWindowThreadProcessId(window, nullptr);
    AttachThreadInput(windowThread, foregroundThread, TRUE);
    DWORD savedTimeout = 0;
    SystemParametersInfoA(SPI_GETFOREGROUNDLOCKTIMEOUT, 0, &savedTimeout, 0);
    SystemParametersInfoA(SPI_SETFOREGROUNDLOCKTIMEOUT, 0, nullptr, 0);
    SetForegroundWindow(window);
    SetWindowPos(window, insertAfter, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE);
    SystemParametersInfoA(SPI_SETFOREGROUNDLOCKTIMEOUT, 0, reinterpret_cast<void*>(static_cast<UINT_PTR>(savedTimeout)), 0);
    AttachThreadInput(windowThread, foregroundThread, FALSE);
}
