#include "common/ProcessFinderImpl.h"

std::vector<HWND> CProcessFinderImpl::EnumProcessWindows(DWORD processId)
{
    std::vector<HWND> windows;
    for (HWND window = GetWindow(GetDesktopWindow(), GW_CHILD); window;
         window = GetWindow(window, GW_HWNDNEXT)) {
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (owner == processId)
            windows.push_back(window);
    }
    return windows;
}
